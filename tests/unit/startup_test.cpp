#include "settings/startup.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "doubles/fake_registry.h"
#include "support/error_message.h"
#include "support/outside_names.h"

namespace tindrel {
namespace {

using test::FakeRegistry;

TEST(RunValueName, IsTheFileNameWithoutDirectoryAndLastExtension) {
  EXPECT_EQ(RunValueName("C:\\Program Files\\Tindrel\\Tindrel.exe"), "Tindrel");
  EXPECT_EQ(RunValueName("C:\\Tools\\Tindrel"), "Tindrel") << "no full stop: the whole name";
  EXPECT_EQ(RunValueName("C:\\Tools\\my.widget.v2.exe"), "my.widget.v2");
  EXPECT_EQ(RunValueName("C:\\my.dir\\Tindrel"), "Tindrel") << "a dot in a folder does not count";
  EXPECT_EQ(RunValueName("C:\\Program Files (x86)\\Holiday Clock.exe"), "Holiday Clock");
  EXPECT_EQ(RunValueName("/home/user/.wine/drive_c/Tindrel.exe"), "Tindrel");
  EXPECT_EQ(RunValueName("C:/mixed\\path/Tindrel.exe"), "Tindrel");
  EXPECT_EQ(RunValueName("Tindrel.exe"), "Tindrel");
}

TEST(StartWithSystem, CheckedWritesTheQuotedFullPathCreatingTheRunKey) {
  FakeRegistry registry;
  const std::string path = "C:\\Program Files\\Tindrel\\Tindrel.exe";
  const std::string quoted = "\"C:\\Program Files\\Tindrel\\Tindrel.exe\"";
  SyncStartWithSystem(registry, path, true);
  EXPECT_EQ(registry.Text(outside::kRunKey, "Tindrel"), quoted)
      << "a blank in the path must not end the program's name";

  registry.Put(outside::kRunKey, "Tindrel", "C:\\old place\\Tindrel.exe");
  SyncStartWithSystem(registry, path, true);
  EXPECT_EQ(registry.Text(outside::kRunKey, "Tindrel"), quoted) << "the stored path is replaced";
  registry.Put(outside::kRunKey, "Tindrel", path);
  SyncStartWithSystem(registry, path, true);
  EXPECT_EQ(registry.Text(outside::kRunKey, "Tindrel"), quoted) << "an unquoted value is mended";
}

TEST(StartWithSystem, UncheckedDeletesTheValueAndAMissingOneIsNoError) {
  FakeRegistry registry;
  registry.Put(outside::kRunKey, "Tindrel", "C:\\Tindrel.exe");
  registry.Put(outside::kRunKey, "Other", "C:\\Other.exe");
  SyncStartWithSystem(registry, "C:\\Tindrel.exe", false);
  EXPECT_FALSE(registry.QueryValue(outside::kRunKey, "Tindrel"));
  EXPECT_TRUE(registry.QueryValue(outside::kRunKey, "Other"));
  EXPECT_NO_THROW(SyncStartWithSystem(registry, "C:\\Tindrel.exe", false));
}

TEST(StartWithSystem, RenamedExecutableAddsItsOwnValueAndLeavesTheOld) {
  FakeRegistry registry;
  SyncStartWithSystem(registry, "C:\\Tindrel.exe", true);
  SyncStartWithSystem(registry, "C:\\Countdown.exe", true);
  EXPECT_TRUE(registry.QueryValue(outside::kRunKey, "Tindrel"));
  EXPECT_EQ(registry.Text(outside::kRunKey, "Countdown"), "\"C:\\Countdown.exe\"");
}

TEST(StartWithSystem, RefusedWriteOrKeyFailsWithTheValueName) {
  FakeRegistry refusing_value;
  refusing_value.RefuseSettingValue("Tindrel");
  EXPECT_EQ(
      test::ErrorMessageOf([&] { SyncStartWithSystem(refusing_value, "C:\\Tindrel.exe", true); }),
      "Failed to set data for 'Tindrel'");

  FakeRegistry refusing_key;
  refusing_key.RefuseCreatingKey(outside::kRunKey);
  EXPECT_THROW(SyncStartWithSystem(refusing_key, "C:\\Tindrel.exe", true), Error);
  EXPECT_NO_THROW(SyncStartWithSystem(refusing_key, "C:\\Tindrel.exe", false));
}

}  // namespace
}  // namespace tindrel
