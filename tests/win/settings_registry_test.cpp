// The settings code against the real registry of the test prefix.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/file_system.h"
#include "base/win32/raii.h"
#include "base/win32/text_conversion.h"
#include "base/win32/win_registry.h"
#include "doubles/fake_settings_window.h"
#include "doubles/recording_shell.h"
#include "settings/custom_settings.h"
#include "settings/settings_store.h"
#include "settings/startup.h"
#include "settings/win32/window_placement.h"
#include "shell/web_links.h"
#include "support/error_message.h"
#include "support/import_hook.h"
#include "support/outside_names.h"

namespace tindrel {
namespace {

using test::FakeSettingsWindow;
using win::Widen;

void DeleteUserTree(const std::string& path) {
  RegDeleteTreeW(HKEY_CURRENT_USER, Widen(path).c_str());
}

win::ScopedRegistryKey CreateUserKey(const std::string& path, DWORD options = 0) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, Widen(path).c_str(), 0, nullptr, options, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return win::ScopedRegistryKey();
  }
  return win::ScopedRegistryKey(key);
}

struct RawValue {
  DWORD type = 0;
  std::vector<BYTE> data;
};

std::optional<RawValue> ReadRaw(const std::string& path, const std::string& name) {
  const auto key = CreateUserKey(path);
  RawValue raw;
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), Widen(name).c_str(), nullptr, &raw.type, nullptr, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  raw.data.resize(size);
  RegQueryValueExW(key.get(), Widen(name).c_str(), nullptr, &raw.type, raw.data.data(), &size);
  return raw;
}

void WriteRawDword(const std::string& path, const std::string& name, DWORD number) {
  const auto key = CreateUserKey(path);
  ASSERT_EQ(RegSetValueExW(key.get(), Widen(name).c_str(), 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&number), sizeof(number)),
            ERROR_SUCCESS);
}

std::wstring WideData(const RawValue& raw) {
  return std::wstring(reinterpret_cast<const wchar_t*>(raw.data.data()),
                      raw.data.size() / sizeof(wchar_t));
}

constexpr char kScratchKey[] = "Software\\Quillmoor\\TindrelScratch";

class WinRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteUserTree(kScratchKey); }
  void TearDown() override { DeleteUserTree(kScratchKey); }
  win::WinRegistry registry;
};

TEST_F(WinRegistryTest, StringIsStoredAsRegSzWithItsTerminatingZeroAndReadBack) {
  const std::string nested = std::string(kScratchKey) + "\\A\\B";
  ASSERT_TRUE(registry.CreateKey(nested));
  EXPECT_TRUE(registry.KeyExists(nested));
  ASSERT_TRUE(registry.SetString(nested, "Greeting",
                                 "Gr\xc3\xbc\xc3\x9f"
                                 "e"));

  const auto raw = ReadRaw(nested, "Greeting");
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(WideData(*raw), std::wstring(L"Gr\u00fc\u00dfe") + L'\0');

  const auto value = registry.QueryValue(nested, "greeting");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, RegistryValueType::kString);
  EXPECT_EQ(value->text,
            "Gr\xc3\xbc\xc3\x9f"
            "e");
  ASSERT_TRUE(registry.SetString(nested, "Empty", ""));
  EXPECT_EQ(registry.QueryValue(nested, "Empty")->text, "");
}

TEST_F(WinRegistryTest, NumbersAndOtherTypesAreToldApart) {
  ASSERT_TRUE(registry.CreateKey(kScratchKey));
  ASSERT_TRUE(registry.SetDword(kScratchKey, "Number", 0xFFFFFFFEu));
  const auto raw = ReadRaw(kScratchKey, "Number");
  EXPECT_EQ(raw->type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(registry.QueryValue(kScratchKey, "Number")->number, 0xFFFFFFFEu);

  const auto key = CreateUserKey(kScratchKey);
  const BYTE bytes[3] = {1, 2, 3};
  RegSetValueExW(key.get(), L"Binary", 0, REG_BINARY, bytes, sizeof(bytes));
  RegSetValueExW(key.get(), L"ShortNumber", 0, REG_DWORD, bytes, 2);
  EXPECT_EQ(registry.QueryValue(kScratchKey, "Binary")->type, RegistryValueType::kOther);
  EXPECT_EQ(registry.QueryValue(kScratchKey, "ShortNumber")->type, RegistryValueType::kOther);
}

TEST_F(WinRegistryTest, StringWithoutTerminatingZeroIsReadWhole) {
  const auto key = CreateUserKey(kScratchKey);
  const wchar_t text[] = L"abc";
  RegSetValueExW(key.get(), L"Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                 3 * sizeof(wchar_t));
  EXPECT_EQ(win::WinRegistry().QueryValue(kScratchKey, "Bare")->text, "abc");
}

TEST_F(WinRegistryTest, WritesNeverCreateAKeyAndMissingThingsAreReportedAsSuch) {
  const std::string missing = std::string(kScratchKey) + "\\Missing";
  EXPECT_FALSE(registry.SetString(missing, "Name", "text"));
  EXPECT_FALSE(registry.SetDword(missing, "Name", 1));
  EXPECT_FALSE(registry.KeyExists(missing));
  EXPECT_FALSE(registry.QueryValue(missing, "Name"));
  EXPECT_FALSE(registry.DeleteValue(missing, "Name"));

  ASSERT_TRUE(registry.CreateKey(kScratchKey));
  EXPECT_FALSE(registry.QueryValue(kScratchKey, "Name"));
  EXPECT_FALSE(registry.DeleteValue(kScratchKey, "Name"));
  ASSERT_TRUE(registry.SetDword(kScratchKey, "Name", 1));
  EXPECT_TRUE(registry.DeleteValue(kScratchKey, "Name"));
  EXPECT_FALSE(ReadRaw(kScratchKey, "Name"));
}

class WinSettingsStore : public ::testing::Test {
 protected:
  void SetUp() override { DeleteUserTree(outside::kProductKey); }
  void TearDown() override {
    DeleteUserTree(outside::kProductKey);
    DeleteUserTree("Software\\Quillmoor");
  }

  // A store over the real registry for a window, bound as the main window binds it.
  struct Rig {
    explicit Rig(win::WinRegistry& registry) : storage(registry, window) {
      test::BindWidgetChoices(storage, window);
    }
    FakeSettingsWindow window;
    SettingsStore storage;
  };

  win::WinRegistry registry;
};

TEST_F(WinSettingsStore, EveryValueMakesTheRoundTripThroughTheRegistry) {
  {
    Rig before(registry);
    before.storage.LoadSettings();
    before.window.placement.normal_position = {40, 50, 40 + 396, 50 + 353};
    before.window.placement.min_position = {-32000, -32000};
    before.window.placement.flags = 2;
    before.window.SetChecked("NewYear1", true);
    before.window.SetChecked("Never1", true);
    before.window.SetChecked("DisplayShadow1", false);
    before.window.SetChecked("ShowHide1", true);
    before.window.found_place = "Nordkapp \xc3\xa6";
    before.window.selected_weather = -12;
    before.window.skin_name = "frost";
    before.window.sound_name = "Sleigh";
    before.window.font_name = "Courier New";
    before.window.font_size = 22;
    before.window.font_color = 0x00123456;
    before.window.font_style = 1 | 8;
    before.storage.SaveSettings();
  }

  const auto key = CreateUserKey(outside::kSettingsKey);
  DWORD count = 0;
  RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                   nullptr, nullptr, nullptr);
  EXPECT_EQ(count, 30u);
  for (DWORD index = 0; index < count; ++index) {
    wchar_t name[64];
    DWORD length = 64;
    DWORD type = 0;
    RegEnumValueW(key.get(), index, name, &length, nullptr, &type, nullptr, nullptr);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << win::Narrow(name);
  }
  EXPECT_EQ(ReadRaw(outside::kSettingsKey, "NormPos(1920x1080)").has_value(), true);

  Rig after(registry);
  after.storage.LoadSettings();
  EXPECT_TRUE(after.window.reports.empty());
  ASSERT_EQ(after.window.applied_placements.size(), 1u);
  const auto& applied = after.window.applied_placements[0];
  EXPECT_EQ(applied.normal_position.left, 40);
  EXPECT_EQ(applied.normal_position.top, 50);
  EXPECT_EQ(applied.min_position.x, -32000);
  EXPECT_EQ(applied.flags, 2u);
  EXPECT_EQ(after.window.checked,
            (std::set<std::string>{"chbStartup", "OnTop1", "ShowHide1", "Never1",
                                   "ShowRandomStars1", "NewYear1", "ShowDays1"}));
  EXPECT_EQ(after.window.found_place, "Nordkapp \xc3\xa6");
  EXPECT_EQ(after.window.selected_weather, -12);
  EXPECT_EQ(after.window.skin_name, "frost");
  EXPECT_EQ(after.window.sound_name, "Sleigh");
  EXPECT_EQ(after.window.font_name, "Courier New");
  EXPECT_EQ(after.window.font_size, 22);
  EXPECT_EQ(after.window.font_color, 0x00123456);
  EXPECT_EQ(after.window.font_style, 1 | 8);
  EXPECT_EQ(after.window.log.back(), "ChooseDueDate:NewYear1");
}

TEST_F(WinSettingsStore, RegistryNumbersAreReportedAndTakeTheirDefaults) {
  CreateUserKey(outside::kSettingsKey);
  WriteRawDword(outside::kSettingsKey, "sSkinName", 7);
  WriteRawDword(outside::kSettingsKey, "NormPos(1920x1080)", 100);
  WriteRawDword(outside::kSettingsKey, "OnTop1_Checked", 0);

  Rig rig(registry);
  rig.storage.LoadSettings();
  EXPECT_EQ(rig.window.reports,
            (std::vector<std::string>{"Invalid data type for 'NormPos(1920x1080)'",
                                      "Invalid data type for 'sSkinName'"}));
  EXPECT_TRUE(rig.window.IsChecked("OnTop1"));
  EXPECT_EQ(rig.window.skin_name, "glass");
  EXPECT_TRUE(rig.storage.SettingsLoaded());

  rig.storage.SaveSettings();
  EXPECT_EQ(ReadRaw(outside::kSettingsKey, "sSkinName")->type, static_cast<DWORD>(REG_SZ));
}

// The rights every key opening asks for, seen through this executable's calls into the system's
// registry functions, which are then passed on.
struct RequestedRights {
  static std::vector<REGSAM>& List() {
    static std::vector<REGSAM> requested;
    return requested;
  }
  static decltype(&RegCreateKeyExW)& Create() {
    static decltype(&RegCreateKeyExW) original = nullptr;
    return original;
  }
  static decltype(&RegOpenKeyExW)& Open() {
    static decltype(&RegOpenKeyExW) original = nullptr;
    return original;
  }
  static LSTATUS APIENTRY RecordCreate(HKEY root, LPCWSTR path, DWORD reserved, LPWSTR key_class,
                                       DWORD options, REGSAM rights, LPSECURITY_ATTRIBUTES security,
                                       PHKEY key, LPDWORD disposition) {
    List().push_back(rights);
    return Create()(root, path, reserved, key_class, options, rights, security, key, disposition);
  }
  static LSTATUS APIENTRY RecordOpen(HKEY root, LPCWSTR path, DWORD options, REGSAM rights,
                                     PHKEY key) {
    List().push_back(rights);
    return Open()(root, path, options, rights, key);
  }
};

TEST_F(WinSettingsStore, SavesAndLoadsAskOnlyForTheRightsOfReadingAndWritingValues) {
  // A key may allow setting values but not changing its permissions or deleting it.
  const win::ImportHook create("advapi32.dll", "RegCreateKeyExW",
                               reinterpret_cast<const void*>(&RequestedRights::RecordCreate));
  const win::ImportHook open("advapi32.dll", "RegOpenKeyExW",
                             reinterpret_cast<const void*>(&RequestedRights::RecordOpen));
  ASSERT_TRUE(create.installed() && open.installed());
  RequestedRights::Create() = create.original<decltype(&RegCreateKeyExW)>();
  RequestedRights::Open() = open.original<decltype(&RegOpenKeyExW)>();
  RequestedRights::List().clear();
  {
    Rig rig(registry);
    rig.storage.LoadSettings();
    rig.storage.SaveSettings();
    rig.storage.LoadSettings();
    SyncStartWithSystem(registry, "C:\\Tindrel\\Tindrel.exe", true);
    SyncStartWithSystem(registry, "C:\\Tindrel\\Tindrel.exe", false);
  }
  const std::vector<REGSAM> requested = RequestedRights::List();
  ASSERT_FALSE(requested.empty());
  const std::set<REGSAM> kinds(requested.begin(), requested.end());
  EXPECT_EQ(kinds,
            (std::set<REGSAM>{KEY_QUERY_VALUE, KEY_SET_VALUE, KEY_SET_VALUE | KEY_CREATE_SUB_KEY}));
}

// A non-volatile key cannot be made under a volatile one, which gives a section that cannot be
// created while the product key itself opens fine.
TEST_F(WinSettingsStore, SectionThatCannotBeCreatedFailsTheSave) {
  ASSERT_TRUE(CreateUserKey(outside::kProductKey, REG_OPTION_VOLATILE));
  Rig rig(registry);
  rig.storage.LoadSettings();
  EXPECT_EQ(test::ErrorMessageOf([&] { rig.storage.SaveSettings(); }),
            "Failed to create key Software\\Quillmoor\\Tindrel\\MainForm");
  EXPECT_FALSE(registry.KeyExists(outside::kSettingsKey));
  EXPECT_FALSE(rig.storage.SettingsSaved());
}

TEST(WinStartWithSystem, RunValueIsWrittenDeletedAndWrittenAgain) {
  win::WinRegistry registry;
  const std::string path = ExecutablePath();
  const std::string name = RunValueName(path);
  EXPECT_EQ(name, "tindrel_win_tests");

  SyncStartWithSystem(registry, path, true);
  auto raw = ReadRaw(outside::kRunKey, name);
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(WideData(*raw), L'"' + Widen(path) + L'"' + L'\0') << "the full path, quoted";

  SyncStartWithSystem(registry, path, false);
  EXPECT_FALSE(ReadRaw(outside::kRunKey, name));
  EXPECT_NO_THROW(SyncStartWithSystem(registry, path, false));

  SyncStartWithSystem(registry, path, true);
  EXPECT_TRUE(ReadRaw(outside::kRunKey, name));
  SyncStartWithSystem(registry, path, false);
}

// Reads the real "AllowWindowReuse" at the moment of each hand-over.
class RecordingShell : public test::RecordingShell<std::optional<RawValue>> {
 public:
  RecordingShell()
      : test::RecordingShell<std::optional<RawValue>>(
            [] { return ReadRaw(outside::kBrowserMainKey, outside::kWindowReuseValue); }) {}
};

class WinOpenWebPage : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateUserKey(outside::kBrowserMainKey);
    original_ = ReadRaw(outside::kBrowserMainKey, outside::kWindowReuseValue);
  }
  void TearDown() override {
    const auto key = CreateUserKey(outside::kBrowserMainKey);
    if (original_) {
      RegSetValueExW(key.get(), Widen(outside::kWindowReuseValue).c_str(), 0, original_->type,
                     original_->data.data(), static_cast<DWORD>(original_->data.size()));
    } else {
      RegDeleteValueW(key.get(), Widen(outside::kWindowReuseValue).c_str());
    }
  }
  static DWORD Number(const RawValue& raw) {
    DWORD number = 0;
    std::memcpy(&number, raw.data.data(), sizeof(number));
    return number;
  }

  win::WinRegistry registry;
  RecordingShell shell;

 private:
  std::optional<RawValue> original_;
};

TEST_F(WinOpenWebPage, AbsentSettingIsZeroDuringTheHandoverAndAbsentAfter) {
  registry.DeleteValue(outside::kBrowserMainKey, outside::kWindowReuseValue);
  OpenWebPage(WebPage::kProduct, registry, shell);
  EXPECT_EQ(shell.addresses, std::vector<std::string>{outside::kProductPage});
  ASSERT_TRUE(shell.seen_during_handover);
  EXPECT_EQ(shell.seen_during_handover->type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(Number(*shell.seen_during_handover), 0u);
  EXPECT_FALSE(ReadRaw(outside::kBrowserMainKey, outside::kWindowReuseValue));
}

TEST_F(WinOpenWebPage, SettingOfOneIsZeroDuringTheHandoverAndOneAfter) {
  WriteRawDword(outside::kBrowserMainKey, outside::kWindowReuseValue, 1);
  OpenWebPage(WebPage::kSibling, registry, shell);
  EXPECT_EQ(shell.addresses, std::vector<std::string>{outside::kSiblingPage});
  ASSERT_TRUE(shell.seen_during_handover);
  EXPECT_EQ(Number(*shell.seen_during_handover), 0u);
  const auto after = ReadRaw(outside::kBrowserMainKey, outside::kWindowReuseValue);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(Number(*after), 1u);
}

TEST(WinWindowPlacement, PlacementMakesTheRoundTripThroughAWindow) {
  const win::ScopedWindow window(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                                 nullptr, GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(window);
  WindowPlacementData placement = win::ReadWindowPlacement(window.get());
  placement.show_cmd = kShowHide;
  placement.normal_position = {30, 40, 30 + 120, 40 + 80};
  win::ApplyWindowPlacement(window.get(), placement);

  const auto back = win::ReadWindowPlacement(window.get());
  EXPECT_EQ(back.normal_position.left, 30);
  EXPECT_EQ(back.normal_position.bottom, 120);
  EXPECT_FALSE(IsWindowVisible(window.get()));
  EXPECT_GT(win::ScreenPixelsPerInch(), 0);
}

}  // namespace
}  // namespace tindrel
