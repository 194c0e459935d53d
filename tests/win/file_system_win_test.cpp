#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/file_system.h"
#include "base/win32/last_error.h"
#include "base/win32/raii.h"
#include "base/win32/text_conversion.h"
#include "render/png_decoder.h"
#include "render/skin.h"
#include "support/error_message.h"
#include "support/png_writer.h"
#include "support/temp_folder.h"

namespace tindrel {
namespace {

const char kUberPng[] =
    "\xC3\xBC"
    "ber.png";  // "über.png" in UTF-8

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

class WindowsFileSystem : public ::testing::Test {
 protected:
  // Written through the wide API, so that names outside the ANSI code page arrive intact.
  void Put(const std::string& name, const test::Bytes& bytes, DWORD attributes = 0) {
    const std::wstring path = win::Widen(folder_.File(name));
    win::ScopedFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << "cannot create " << name;
    DWORD written = 0;
    ASSERT_TRUE(
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    file.reset();
    if (attributes) ASSERT_TRUE(SetFileAttributesW(path.c_str(), attributes));
  }
  void MakeFolder(const std::string& name) {
    ASSERT_TRUE(CreateDirectoryW(win::Widen(folder_.File(name)).c_str(), nullptr));
  }
  test::TempFolder folder_;
};

TEST_F(WindowsFileSystem, ListingSkipsFoldersHiddenAndSystemFiles) {
  Put("glass.png", {1});
  Put("Winter.PNG", {1});
  Put(kUberPng, {1});
  Put("notes.txt", {1});
  Put("a.pngx", {1});
  Put("hidden.png", {1}, FILE_ATTRIBUTE_HIDDEN);
  Put("system.png", {1}, FILE_ATTRIBUTE_SYSTEM);
  MakeFolder("dir.png");
  EXPECT_EQ(Sorted(ListFolderFiles(folder_.WithSeparator(), ".png")),
            (std::vector<std::string>{"Winter.PNG", "glass.png", kUberPng}));
  EXPECT_EQ(Sorted(ListFolderFiles(folder_.Path().u8string(), ".png")).size(), 3u);
}

TEST_F(WindowsFileSystem, MissingFolderListsNothing) {
  EXPECT_TRUE(ListFolderFiles(folder_.File("none"), ".png").empty());
  EXPECT_TRUE(ListFolderFiles(folder_.File("none\\deeper"), ".mp3").empty());
  EXPECT_TRUE(ListFolderFiles(folder_.WithSeparator(), ".mp3").empty());
}

TEST_F(WindowsFileSystem, RegularFileIsNeitherFolderNorMissingName) {
  Put("skin.png", {1});
  Put("hidden.png", {1}, FILE_ATTRIBUTE_HIDDEN);
  MakeFolder("dir.png");
  EXPECT_TRUE(IsRegularFile(folder_.File("skin.png")));
  EXPECT_TRUE(IsRegularFile(folder_.File("hidden.png")));
  EXPECT_FALSE(IsRegularFile(folder_.File("dir.png")));
  EXPECT_FALSE(IsRegularFile(folder_.File("none.png")));
}

TEST_F(WindowsFileSystem, OpenFailureCarriesTheSystemsText) {
  const std::string path = folder_.File("star.png");
  EXPECT_EQ(test::ErrorMessageOf([&] { OpenFileForReading(path); }),
            "Cannot open file \"" + path + "\". " + win::SystemErrorText(ERROR_FILE_NOT_FOUND));
  MakeFolder("dir.png");
  EXPECT_THROW(OpenFileForReading(folder_.File("dir.png")), Error);
  EXPECT_THROW(OpenFileForReading("NUL"), Error);
}

TEST_F(WindowsFileSystem, PictureWithNameOutsideTheCodePageDecodes) {
  Put(kUberPng, test::RgbPng(1, 1, {9, 8, 7}));
  const DecodedPng png = DecodePngFile(folder_.File(kUberPng));
  EXPECT_EQ(png.colors, (std::vector<std::uint8_t>{9, 8, 7}));
}

TEST_F(WindowsFileSystem, SkinNameInOtherLetterCaseFindsTheFileAndIsKept) {
  Put("glass.png", test::RgbPng(2, 2, std::vector<std::uint16_t>(12, 5)));
  Put("winter.png", test::RgbPng(1, 1, {1, 2, 3}));
  std::vector<std::string> reports;
  WidgetSkin skin(folder_.WithSeparator(),
                  [&](const std::string& text) { reports.push_back(text); });
  skin.LoadSkin("Winter");
  EXPECT_EQ(skin.SkinName(), "Winter");
  EXPECT_EQ(skin.Width(), 1);
  EXPECT_TRUE(reports.empty());
}

TEST(WindowsProgramFolder, HoldsTheRunningProgram) {
  const std::string folder = ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  EXPECT_EQ(PathSeparator(), '\\');
  EXPECT_TRUE(IsRegularFile(folder + "tindrel_win_tests.exe"));
}

}  // namespace
}  // namespace tindrel
