#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/error.h"
#include "doubles/fake_registry.h"
#include "doubles/fake_settings_window.h"
#include "settings/startup.h"
#include "support/error_message.h"
#include "support/outside_names.h"

namespace tindrel {
namespace {

using test::FakeRegistry;
using test::FakeSettingsWindow;

constexpr char kExecutable[] = "C:\\Program Files\\Tindrel\\Tindrel.exe";

// Every value of a first save, in the order written, with its text.
const std::vector<std::pair<std::string, std::string>> kFirstSave = {
    {"FormVersion", "0"},
    {"Flags", "0"},
    {"ShowCmd", "1"},
    {"PixelsPerInch", "96"},
    {"MinMaxPos(1920x1080)", "-1,-1,-1,-1"},
    {"MinMaxPos", "-1,-1,-1,-1"},
    {"NormPos(1920x1080)", "366,216,762,569"},
    {"NormPos", "366,216,762,569"},
    {"Visible", "0"},
    {"chbStartup_Checked", "True"},
    {"DisplayShadow1_Checked", "True"},
    {"OnTop1_Checked", "True"},
    {"ShowHide1_Checked", "False"},
    {"EveryHalfHour1_Checked", "False"},
    {"EveryHour1_Checked", "True"},
    {"Never1_Checked", "False"},
    {"ShowRandomStars1_Checked", "True"},
    {"Christmas1_Checked", "True"},
    {"ChristmasJanuary71_Checked", "False"},
    {"NewYear1_Checked", "False"},
    {"ChristmasDecember2420071_Checked", "False"},
    {"ShowDays1_Checked", "True"},
    {"foundPlace", ""},
    {"SelectedWeather", "0"},
    {"sSkinName", "glass"},
    {"sSoundName", "JingleBells"},
    {"FontName", "DS-Digital"},
    {"FontSize", "16"},
    {"FontColor", "16777215"},
    {"FontStyle", "0"},
};

std::vector<std::string> FirstSaveNames() {
  std::vector<std::string> names;
  for (const auto& entry : kFirstSave) names.push_back(entry.first);
  return names;
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  SettingsStoreTest() {
    test::BindWidgetChoices(storage, window);
    window.start_with_system = [this] {
      SyncStartWithSystem(registry, kExecutable, window.IsChecked("chbStartup"));
    };
  }

  std::optional<std::string> Stored(const std::string& name) {
    return registry.Text(outside::kSettingsKey, name);
  }
  void Put(const std::string& name, const std::string& text) {
    registry.Put(outside::kSettingsKey, name, text);
  }
  bool Logged(const std::string& entry) const {
    return std::find(window.log.begin(), window.log.end(), entry) != window.log.end();
  }
  std::vector<std::string> WrittenNames() const {
    std::vector<std::string> names;
    for (const auto& entry : registry.WriteLog()) {
      const std::string prefix = std::string(outside::kSettingsKey) + "|";
      if (entry.rfind(prefix, 0) == 0) names.push_back(entry.substr(prefix.size()));
    }
    return names;
  }
  void LoadWithStoredNormPos(const std::string& text) {
    Put("NormPos", text);
    storage.LoadSettings();
  }
  PlacementRect LastAppliedNormalPosition() const {
    return window.applied_placements.back().normal_position;
  }

  FakeRegistry registry;
  FakeSettingsWindow window;
  SettingsStore storage{registry, window};
};

TEST_F(SettingsStoreTest, FirstRunWithoutKeyComesUpInDesignTimeStateAndRegistersTheStart) {
  const auto design_marks = window.checked;
  storage.LoadSettings();

  EXPECT_TRUE(window.reports.empty());
  EXPECT_TRUE(window.applied_placements.empty()) << "stays at the design-time position";
  EXPECT_EQ(window.checked, design_marks);
  EXPECT_EQ(window.log, (std::vector<std::string>{
                            "WindowState:normal", "LoadSkin:glass", "SoundName:JingleBells",
                            "Redraw", "ApplyStartWithSystem", "FontName:DS-Digital", "FontSize:16",
                            "FontColor:16777215", "FontStyle:0", "ChooseDueDate:Christmas1"}));
  EXPECT_TRUE(registry.KeyExists(outside::kProductKey)) << "the first load creates the product key";
  EXPECT_FALSE(registry.KeyExists(outside::kSettingsKey)) << "a load writes nothing of its own";
  EXPECT_EQ(registry.Text(outside::kRunKey, "Tindrel"), "\"" + std::string(kExecutable) + "\"");
  EXPECT_TRUE(storage.SettingsLoaded());
  EXPECT_FALSE(storage.SettingsSaved());
}

TEST_F(SettingsStoreTest, FirstSaveWritesThirtyValuesInOrderWithTheirTexts) {
  storage.LoadSettings();
  registry.ClearWriteLog();
  storage.SaveSettings();

  EXPECT_EQ(WrittenNames(), FirstSaveNames());
  auto sorted = FirstSaveNames();
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(registry.ValueNames(outside::kSettingsKey), sorted);
  EXPECT_TRUE(registry.ValueNames(outside::kProductKey).empty())
      << "nothing directly under the product";
  for (const auto& [name, text] : kFirstSave) EXPECT_EQ(Stored(name), text) << name;
  EXPECT_TRUE(storage.SettingsSaved());
}

TEST_F(SettingsStoreTest, EachFurtherResolutionAddsItsTwoTaggedNames) {
  storage.LoadSettings();
  storage.SaveSettings();
  window.screen_width = 1280;
  window.screen_height = 1024;
  storage.SaveSettings();

  EXPECT_EQ(registry.ValueNames(outside::kSettingsKey).size(), 32u);
  EXPECT_EQ(Stored("MinMaxPos(1280x1024)"), "-1,-1,-1,-1");
  EXPECT_EQ(Stored("NormPos(1280x1024)"), "366,216,762,569");
  EXPECT_EQ(Stored("NormPos(1920x1080)"), "366,216,762,569");
}

TEST_F(SettingsStoreTest, PositionFollowsTheResolutionAndAnUnknownOneTakesThePlainName) {
  Put("NormPos(1920x1080)", "100,200,0,0");
  Put("NormPos(1280x1024)", "300,400,0,0");
  Put("NormPos", "500,600,0,0");

  storage.LoadSettings();
  EXPECT_EQ(LastAppliedNormalPosition().left, 100);
  EXPECT_EQ(LastAppliedNormalPosition().top, 200);

  window.screen_width = 1280;
  window.screen_height = 1024;
  storage.LoadSettings();
  EXPECT_EQ(LastAppliedNormalPosition().left, 300);
  EXPECT_EQ(LastAppliedNormalPosition().top, 400);

  window.screen_width = 800;
  window.screen_height = 600;
  storage.LoadSettings();
  EXPECT_EQ(LastAppliedNormalPosition().left, 500);
  EXPECT_EQ(LastAppliedNormalPosition().top, 600);
}

TEST_F(SettingsStoreTest, AnEmptyTaggedPositionFallsBackToThePlainNameAndEmptyIsNoPosition) {
  Put("MinMaxPos(1920x1080)", "");
  Put("NormPos", "");
  storage.LoadSettings();
  EXPECT_TRUE(window.applied_placements.empty());

  Put("MinMaxPos", "7,8,9,10");
  storage.LoadSettings();
  ASSERT_EQ(window.applied_placements.size(), 1u);
  EXPECT_EQ(window.applied_placements[0].min_position.x, 7);
  EXPECT_EQ(window.applied_placements[0].max_position.y, 10);
}

TEST_F(SettingsStoreTest, MovedWidgetComesBackWhereItWasLeft) {
  storage.LoadSettings();
  window.placement.normal_position = {40, 50, 40 + 396, 50 + 353};
  storage.SaveSettings();
  window.placement.normal_position = {366, 216, 366 + 396, 216 + 353};
  storage.LoadSettings();
  EXPECT_EQ(LastAppliedNormalPosition().left, 40);
  EXPECT_EQ(LastAppliedNormalPosition().top, 50);
}

TEST_F(SettingsStoreTest, OtherPixelsPerInchIgnoresTheStoredPositionAndNoneCountsAsOurs) {
  LoadWithStoredNormPos("10,20,30,40");
  EXPECT_EQ(window.applied_placements.size(), 1u);
  Put("PixelsPerInch", "120");
  LoadWithStoredNormPos("10,20,30,40");
  EXPECT_EQ(window.applied_placements.size(), 1u);
}

TEST_F(SettingsStoreTest, StoredSizeIsIgnoredOnlyTheTopLeftCornerMoves) {
  LoadWithStoredNormPos("10,20,5000,6000");
  const auto rect = LastAppliedNormalPosition();
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.top, 20);
  EXPECT_EQ(rect.right, 10 + 396);
  EXPECT_EQ(rect.bottom, 20 + 353);
}

TEST_F(SettingsStoreTest, PositionWordsSplitAtCommasAndBlanksWithTheirDefaults) {
  Put("MinMaxPos", " 5  6,x");
  LoadWithStoredNormPos("abc,, 20");
  const auto& applied = window.applied_placements.back();
  EXPECT_EQ(applied.min_position.x, 5);
  EXPECT_EQ(applied.min_position.y, 6);
  EXPECT_EQ(applied.max_position.x, 0) << "a non-numeric word counts as 0";
  EXPECT_EQ(applied.max_position.y, 0) << "a missing word counts as 0";
  EXPECT_EQ(applied.normal_position.left, 366) << "a non-numeric left keeps the current one";
  EXPECT_EQ(applied.normal_position.top, 20);
}

TEST_F(SettingsStoreTest, ACornerBeyondTheIntegerRangeIsNotApplied) {
  LoadWithStoredNormPos("2147483647,0,0,0");
  EXPECT_TRUE(window.applied_placements.empty());
  LoadWithStoredNormPos("99999999999,-7");
  EXPECT_EQ(LastAppliedNormalPosition().left, 366) << "an out-of-range word is not a number";
  EXPECT_EQ(LastAppliedNormalPosition().top, -7);
}

TEST_F(SettingsStoreTest, PlacementIsAppliedHiddenWhileTheWindowIsNotYetVisible) {
  Put("Flags", "2");
  LoadWithStoredNormPos("10,20,0,0");
  EXPECT_EQ(window.applied_placements.back().show_cmd, kShowHide);
  EXPECT_EQ(window.applied_placements.back().flags, 2u);

  window.visible = true;
  window.placement.show_cmd = 1;
  storage.LoadSettings();
  EXPECT_EQ(window.applied_placements.back().show_cmd, 1u);
}

struct ShowCmdCase {
  const char* stored;
  std::vector<std::string> expected_log;
};

class ShowCmdMapping : public SettingsStoreTest,
                       public ::testing::WithParamInterface<ShowCmdCase> {};

TEST_P(ShowCmdMapping, StoredShowCmdSetsTheWindowState) {
  Put("ShowCmd", GetParam().stored);
  storage.after_load = nullptr;
  storage.LoadSettings();
  EXPECT_EQ(window.log, GetParam().expected_log) << GetParam().stored;
}

const std::vector<std::string> kNormal = {"WindowState:normal"};
// A stored minimised state brings the widget up normally: nothing is minimised.
const std::vector<std::string> kMinimized = {"WindowState:normal"};
const std::vector<std::string> kMaximized = {"WindowState:maximized"};

INSTANTIATE_TEST_SUITE_P(EveryShowState, ShowCmdMapping,
                         ::testing::Values(ShowCmdCase{"0", kNormal}, ShowCmdCase{"1", kNormal},
                                           ShowCmdCase{"5", kNormal}, ShowCmdCase{"9", kNormal},
                                           ShowCmdCase{"2", kMinimized},
                                           ShowCmdCase{"6", kMinimized},
                                           ShowCmdCase{"7", kMinimized},
                                           ShowCmdCase{"3", kMaximized}, ShowCmdCase{"4", kNormal},
                                           ShowCmdCase{"8", kNormal}, ShowCmdCase{"-2", kNormal},
                                           ShowCmdCase{"three", kNormal}));

TEST_F(SettingsStoreTest, SaveWritesShowCmdTwoWhileTheApplicationIsMinimized) {
  storage.LoadSettings();
  window.application_minimized = true;
  storage.SaveSettings();
  EXPECT_EQ(Stored("ShowCmd"), "2");
}

TEST_F(SettingsStoreTest, NegativeFormVersionSkipsTheContentAndTheNextSaveWritesAllAfresh) {
  Put("FormVersion", "-1");
  Put("NormPos", "10,20,30,40");
  Put("ShowCmd", "3");
  Put("chbStartup_Checked", "False");
  Put("sSkinName", "frost");
  const auto marks = window.checked;

  storage.LoadSettings();
  EXPECT_TRUE(window.log.empty()) << "no placement, state or custom value was applied";
  EXPECT_EQ(window.checked, marks);
  EXPECT_TRUE(storage.SettingsLoaded());

  storage.SaveSettings();
  EXPECT_EQ(WrittenNames(), FirstSaveNames());
  EXPECT_EQ(Stored("FormVersion"), "0");
  EXPECT_EQ(Stored("chbStartup_Checked"), "True");
  EXPECT_EQ(Stored("sSkinName"), "glass");
  EXPECT_EQ(Stored("NormPos"), "366,216,762,569");
}

TEST_F(SettingsStoreTest, UnreadableOrHigherFormVersionLoadsTheContent) {
  Put("FormVersion", "x");
  Put("sSkinName", "frost");
  storage.LoadSettings();
  EXPECT_TRUE(Logged("LoadSkin:frost"));

  window.log.clear();
  Put("FormVersion", "1");
  storage.LoadSettings();
  EXPECT_TRUE(Logged("LoadSkin:frost"));
}

TEST_F(SettingsStoreTest, CheckMarkTextsAreTrimmedAndComparedWithoutCase) {
  Put("ShowHide1_Checked", " true ");
  Put("DisplayShadow1_Checked", "FALSE");
  Put("ShowDays1_Checked", "yes");
  Put("OnTop1_Checked", "\t\r\nFalse\x1f");
  Put("ShowRandomStars1_Checked", "Fa lse");
  Put("Christmas1_Checked", "");
  storage.LoadSettings();

  EXPECT_TRUE(window.IsChecked("ShowHide1"));
  EXPECT_FALSE(window.IsChecked("DisplayShadow1"));
  EXPECT_TRUE(window.IsChecked("ShowDays1")) << "an unknown text leaves the mark";
  EXPECT_FALSE(window.IsChecked("OnTop1")) << "control characters are stripped";
  EXPECT_TRUE(window.IsChecked("ShowRandomStars1"));
  EXPECT_TRUE(window.IsChecked("Christmas1"));
}

TEST_F(SettingsStoreTest, RadioGroupsStayConsistentWhenSeveralMarksAreStoredTrue) {
  Put("EveryHalfHour1_Checked", "True");
  Put("EveryHour1_Checked", "True");
  Put("Never1_Checked", "False");
  Put("Christmas1_Checked", "True");
  Put("NewYear1_Checked", "True");
  Put("ChristmasDecember2420071_Checked", "True");
  storage.LoadSettings();

  EXPECT_TRUE(window.IsChecked("EveryHour1"));
  EXPECT_FALSE(window.IsChecked("EveryHalfHour1"));
  EXPECT_FALSE(window.IsChecked("Never1"));
  EXPECT_TRUE(window.IsChecked("ChristmasDecember2420071")) << "the last one in saving order";
  EXPECT_FALSE(window.IsChecked("Christmas1"));
  EXPECT_FALSE(window.IsChecked("NewYear1"));
  EXPECT_EQ(std::count_if(window.log.begin(), window.log.end(),
                          [](const std::string& e) { return e.rfind("ChooseDueDate:", 0) == 0; }),
            1);
  EXPECT_TRUE(Logged("ChooseDueDate:ChristmasDecember2420071"));
}

TEST_F(SettingsStoreTest, CheckMarkOfTheWrongTypeIsPassedOverSilently) {
  registry.PutDword(outside::kSettingsKey, "OnTop1_Checked", 0);
  Put("DisplayShadow1_Checked", "False");
  storage.LoadSettings();
  EXPECT_TRUE(window.reports.empty());
  EXPECT_TRUE(window.IsChecked("OnTop1"));
  EXPECT_FALSE(window.IsChecked("DisplayShadow1")) << "the marks after it still load";
}

TEST_F(SettingsStoreTest, WrongTypeAmongPlacementValuesIsReportedOnceAndTakesItsDefault) {
  registry.PutDword(outside::kSettingsKey, "NormPos(1920x1080)", 5);
  registry.PutBinary(outside::kSettingsKey, "Flags");
  Put("NormPos", "10,20,0,0");
  Put("ShowHide1_Checked", "True");
  window.placement.flags = 4;
  storage.LoadSettings();

  EXPECT_EQ(window.reports,
            (std::vector<std::string>{"Invalid data type for 'Flags'",
                                      "Invalid data type for 'NormPos(1920x1080)'"}));
  EXPECT_EQ(window.applied_placements.back().flags, 4u) << "the current flags";
  EXPECT_EQ(LastAppliedNormalPosition().left, 10) << "the plain name is read instead";
  EXPECT_TRUE(window.IsChecked("ShowHide1")) << "the load went on";
  EXPECT_TRUE(storage.SettingsLoaded());

  storage.SaveSettings();
  EXPECT_EQ(Stored("NormPos(1920x1080)"), "10,20,406,373") << "the next save mends the value";
}

TEST_F(SettingsStoreTest, NothingIsSavedBeforeTheFirstLoad) {
  storage.SaveSettings();
  storage.SaveOnCloseRequest();
  storage.SaveOnDestroy();
  EXPECT_FALSE(registry.KeyExists(outside::kProductKey));
  EXPECT_TRUE(registry.WriteLog().empty());
  EXPECT_FALSE(storage.SettingsSaved());
}

TEST_F(SettingsStoreTest, FlagsFollowTheirLifeCycle) {
  EXPECT_FALSE(storage.SettingsLoaded());
  EXPECT_FALSE(storage.SettingsSaved());
  storage.LoadSettings();
  EXPECT_TRUE(storage.SettingsLoaded());
  storage.SaveSettings();
  EXPECT_TRUE(storage.SettingsSaved());
  storage.LoadSettings();
  EXPECT_FALSE(storage.SettingsSaved());
  EXPECT_TRUE(storage.SettingsLoaded());
}

TEST_F(SettingsStoreTest, OnlyTheDestroySaveWithNothingSavedSinceTheLoadWritesVisibleOne) {
  storage.LoadSettings();
  storage.SaveOnDestroy();
  EXPECT_EQ(Stored("Visible"), "1");

  storage.LoadSettings();
  storage.SaveSettings();
  EXPECT_EQ(Stored("Visible"), "0");
  registry.ClearWriteLog();
  storage.SaveOnDestroy();
  EXPECT_TRUE(registry.WriteLog().empty()) << "a save since the last load: destruction is silent";
}

TEST_F(SettingsStoreTest, ExitSavesOnTheCloseRequestAndInTheCloseHandlerOnly) {
  storage.LoadSettings();
  registry.ClearWriteLog();
  storage.SaveOnCloseRequest();
  storage.SaveSettings();
  storage.SaveOnDestroy();
  EXPECT_EQ(WrittenNames().size(), 2 * kFirstSave.size());
  EXPECT_EQ(Stored("Visible"), "0");
}

TEST_F(SettingsStoreTest, AChangeMadeWhileHiddenIsReplacedByTheNextShow) {
  storage.LoadSettings();
  storage.SaveSettings();  // hidden
  window.SetChecked("OnTop1", false);
  storage.LoadSettings();  // shown again
  EXPECT_TRUE(window.IsChecked("OnTop1"));
}

TEST_F(SettingsStoreTest, ProductKeyThatCannotBeCreatedFailsTheSaveButNotTheLoad) {
  registry.RefuseCreatingKey(outside::kProductKey);
  EXPECT_NO_THROW(storage.LoadSettings());
  EXPECT_TRUE(storage.SettingsLoaded());
  EXPECT_EQ(test::ErrorMessageOf([&] { storage.SaveSettings(); }),
            "Failed to create key Software\\Quillmoor\\Tindrel");
  EXPECT_FALSE(registry.KeyExists(outside::kSettingsKey));
  EXPECT_FALSE(storage.SettingsSaved());
}

TEST_F(SettingsStoreTest, SectionThatCannotBeCreatedFailsTheSave) {
  registry.RefuseCreatingKey(outside::kSettingsKey);
  storage.LoadSettings();
  const std::string message = test::ErrorMessageOf([&] { storage.SaveSettings(); });
  EXPECT_EQ(message, "Failed to create key Software\\Quillmoor\\Tindrel\\MainForm");
}

TEST_F(SettingsStoreTest, RefusedValueStopsTheSaveThereAndKeepsWhatWasWritten) {
  storage.LoadSettings();
  registry.RefuseSettingValue("NormPos");
  EXPECT_EQ(test::ErrorMessageOf([&] { storage.SaveSettings(); }),
            "Failed to set data for 'NormPos'");
  EXPECT_EQ(Stored("NormPos(1920x1080)"), "366,216,762,569");
  EXPECT_FALSE(Stored("Visible"));
  EXPECT_FALSE(Stored("chbStartup_Checked"));
  EXPECT_FALSE(storage.SettingsSaved());
}

TEST_F(SettingsStoreTest, NumbersAreStrictDecimalTextOfThirtyTwoBits) {
  const std::vector<std::pair<std::string, std::int32_t>> cases = {
      {"-5", -5},
      {"+7", 7},
      {"0012", 12},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"2147483648", 99},
      {"12abc", 99},
      {" 12", 99},
      {"", 99},
      {"-", 99},
      {"0x10", 99},
  };
  for (const auto& [text, number] : cases) {
    Put("Probe", text);
    EXPECT_EQ(storage.ReadNumber("Probe", 99), number) << "'" << text << "'";
  }
  EXPECT_EQ(storage.ReadNumber("Missing", -3), -3);
}

TEST_F(SettingsStoreTest, TextsReadAsStoredAndWrittenOutsideALoad) {
  EXPECT_EQ(storage.ReadText("foundPlace", "default"), "default") << "no section yet";
  storage.WriteText("foundPlace", "");
  EXPECT_EQ(storage.ReadText("foundPlace", "default"), "") << "an empty text is a text";
  storage.WriteNumber("SelectedWeather", -42);
  EXPECT_EQ(Stored("SelectedWeather"), "-42");
  EXPECT_EQ(storage.ReadNumber("SelectedWeather", 0), -42);
}

}  // namespace
}  // namespace tindrel
