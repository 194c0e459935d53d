#include "base/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/error.h"
#include "support/error_message.h"
#include "support/png_writer.h"
#include "support/temp_folder.h"

namespace tindrel {
namespace {

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

class FileSystemFolder : public ::testing::Test {
 protected:
  void Touch(const std::string& name) { test::WriteFile(folder_.File(name), {1}); }
  void MakeFolder(const std::string& name) {
    ASSERT_EQ(mkdir(folder_.File(name).c_str(), 0700), 0);
  }
  test::TempFolder folder_;
};

TEST_F(FileSystemFolder, ListsOnlyVisibleFilesWithTheExtension) {
  Touch("glass.png");
  Touch("Winter.PNG");
  Touch("notes.txt");
  Touch("pngless");
  Touch("a.png.bak");
  Touch(".hidden.png");
  MakeFolder("x.png");
  EXPECT_EQ(Sorted(ListFolderFiles(folder_.WithSeparator(), ".png")),
            (std::vector<std::string>{"Winter.PNG", "glass.png"}));
}

TEST_F(FileSystemFolder, FolderWithoutTrailingSeparatorListsTheSame) {
  Touch("clip.mp3");
  EXPECT_EQ(ListFolderFiles(folder_.Path().string(), ".mp3"),
            (std::vector<std::string>{"clip.mp3"}));
}

TEST_F(FileSystemFolder, MissingFolderOrFileInPlaceOfFolderGivesEmptyList) {
  EXPECT_TRUE(ListFolderFiles(folder_.File("none"), ".png").empty());
  Touch("plain");
  EXPECT_TRUE(ListFolderFiles(folder_.File("plain"), ".png").empty());
  EXPECT_TRUE(ListFolderFiles(folder_.WithSeparator(), ".png").empty());
}

TEST_F(FileSystemFolder, FolderThatCannotBeListedIsAnError) {
  const std::string loop = folder_.File("loop");
  ASSERT_EQ(symlink(loop.c_str(), loop.c_str()), 0);
  const std::string message = test::ErrorMessageOf([&] { ListFolderFiles(loop, ".png"); });
  EXPECT_EQ(message.rfind("Cannot list folder \"" + loop + "\". ", 0), 0u) << message;
}

TEST_F(FileSystemFolder, RegularFileIsNeitherFolderNorMissingName) {
  Touch("skin.png");
  MakeFolder("dir.png");
  EXPECT_TRUE(IsRegularFile(folder_.File("skin.png")));
  EXPECT_FALSE(IsRegularFile(folder_.File("dir.png")));
  EXPECT_FALSE(IsRegularFile(folder_.File("none.png")));
  EXPECT_FALSE(IsRegularFile(""));
}

TEST_F(FileSystemFolder, OpenFailureGivesFileOpenMessageWithSystemText) {
  const std::string path = folder_.File("none.png");
  EXPECT_EQ(test::ErrorMessageOf([&] { OpenFileForReading(path); }),
            "Cannot open file \"" + path + "\". No such file or directory");
  Touch("there.png");
  EXPECT_NE(OpenFileForReading(folder_.File("there.png")), nullptr);
}

TEST(FileSystemNames, FileOpenMessageAndExtensionMatch) {
  EXPECT_EQ(
      CannotOpenFileMessage("C:\\a b\\star.png", "The system cannot find the file specified."),
      "Cannot open file \"C:\\a b\\star.png\". The system cannot find the file specified.");
  EXPECT_TRUE(HasExtension("a.PnG", ".png"));
  EXPECT_TRUE(HasExtension(".png", ".png"));
  EXPECT_FALSE(HasExtension("png", ".png"));
  EXPECT_FALSE(HasExtension("a.pngx", ".png"));
}

TEST(FileSystemNames, ExecutableFolderHoldsTheRunningProgram) {
  const std::string folder = ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), PathSeparator());
  EXPECT_TRUE(IsRegularFile(folder + "tindrel_unit_tests"));
  EXPECT_EQ(PathSeparator(), '/');
}

}  // namespace
}  // namespace tindrel
