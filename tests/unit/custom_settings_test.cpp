#include "settings/custom_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/error.h"
#include "doubles/fake_registry.h"
#include "doubles/fake_settings_window.h"
#include "settings/startup.h"
#include "support/outside_names.h"

namespace tindrel {
namespace {

using test::FakeRegistry;
using test::FakeSettingsWindow;

class CustomSettings : public ::testing::Test {
 protected:
  CustomSettings() {
    test::BindWidgetChoices(storage, window);
    window.start_with_system = [this] {
      SyncStartWithSystem(registry, "C:\\Tindrel.exe", window.IsChecked("chbStartup"));
    };
  }
  void Put(const std::string& name, const std::string& text) {
    registry.Put(outside::kSettingsKey, name, text);
  }
  bool Logged(const std::string& entry) const {
    return std::find(window.log.begin(), window.log.end(), entry) != window.log.end();
  }

  FakeRegistry registry;
  FakeSettingsWindow window;
  SettingsStore storage{registry, window};
};

TEST_F(CustomSettings, StoredValuesAreAppliedInTheirOrder) {
  Put("foundPlace", "somewhere");
  Put("SelectedWeather", "-7");
  Put("sSkinName", "frost");
  Put("sSoundName", "Bells");
  Put("FontName", "Arial");
  Put("FontSize", "22");
  Put("FontColor", "255");
  Put("FontStyle", "5");
  Put("NewYear1_Checked", "True");
  storage.LoadSettings();

  EXPECT_EQ(window.log, (std::vector<std::string>{
                            "WindowState:normal", "LoadSkin:frost", "SoundName:Bells", "Redraw",
                            "ApplyStartWithSystem", "FontName:Arial", "FontSize:22",
                            "FontColor:255", "FontStyle:5", "ChooseDueDate:NewYear1"}));
  EXPECT_EQ(window.found_place, "somewhere");
  EXPECT_EQ(window.selected_weather, -7);
}

TEST_F(CustomSettings, ValuesWithoutFeatureAreWrittenBackUnchanged) {
  Put("foundPlace", "somewhere");
  Put("SelectedWeather", "-7");
  storage.LoadSettings();
  storage.SaveSettings();
  EXPECT_EQ(registry.Text(outside::kSettingsKey, "foundPlace"), "somewhere");
  EXPECT_EQ(registry.Text(outside::kSettingsKey, "SelectedWeather"), "-7");
}

TEST_F(CustomSettings, EmptySkinNameReachesTheSkinLoaderAndEmptyFontNameTheFont) {
  Put("sSkinName", "");
  Put("FontName", "");
  storage.LoadSettings();
  EXPECT_TRUE(Logged("LoadSkin:"));
  EXPECT_TRUE(Logged("FontName:"));
  EXPECT_EQ(window.skin_name, "glass") << "the loader's own fall-back";
  EXPECT_EQ(window.font_name, "");
}

TEST_F(CustomSettings, NoTickedDueDateAppliesDecemberTwentyFifthAndTicksIt) {
  // As a save cut short, or a click that once unticked the ticked holiday, leaves them.
  for (const char* item : kDueDateRestoreOrder) Put(std::string(item) + "_Checked", "False");
  storage.LoadSettings();
  EXPECT_EQ(
      std::count_if(window.log.begin(), window.log.end(),
                    [](const std::string& entry) { return entry.rfind("ChooseDueDate:", 0) == 0; }),
      1);
  EXPECT_EQ(window.log.back(), "ChooseDueDate:Christmas1");
  EXPECT_TRUE(window.IsChecked("Christmas1"));
  storage.SaveSettings();
  EXPECT_EQ(registry.Text(outside::kSettingsKey, "Christmas1_Checked"), "True");
}

TEST_F(CustomSettings, StyleBitsBeyondTheFourStylesAreDropped) {
  Put("FontStyle", "31");
  Put("FontColor", "-1");
  storage.LoadSettings();
  EXPECT_EQ(window.font_style, 1 | 2 | 4 | 8);
  EXPECT_EQ(window.font_color, -1);
}

TEST_F(CustomSettings, WrongTypeIsReportedOnceTakesItsDefaultAndTheLoadGoesOn) {
  registry.PutDword(outside::kSettingsKey, "sSkinName", 1);
  registry.PutDword(outside::kSettingsKey, "FontSize", 30);
  Put("FontName", "Arial");
  storage.LoadSettings();

  EXPECT_EQ(window.reports, (std::vector<std::string>{"Invalid data type for 'sSkinName'",
                                                      "Invalid data type for 'FontSize'"}));
  EXPECT_TRUE(Logged("LoadSkin:glass"));
  EXPECT_TRUE(Logged("FontName:Arial"));
  EXPECT_TRUE(Logged("FontSize:16"));
  EXPECT_TRUE(Logged("ChooseDueDate:Christmas1"));
}

TEST_F(CustomSettings, FailingStartEntryIsReportedAndTheLoadGoesOnWithFontAndDueDate) {
  registry.RefuseSettingValue("Tindrel");
  Put("FontName", "Arial");
  Put("FontSize", "22");
  Put("FontColor", "255");
  Put("NewYear1_Checked", "True");
  storage.LoadSettings();

  EXPECT_EQ(window.reports, std::vector<std::string>{"Failed to set data for 'Tindrel'"});
  EXPECT_EQ(window.font_name, "Arial");
  EXPECT_EQ(window.font_size, 22);
  EXPECT_EQ(window.font_color, 255);
  EXPECT_EQ(window.log.back(), "ChooseDueDate:NewYear1") << "the ticked due date is applied";
  EXPECT_TRUE(storage.SettingsLoaded());

  // The next save writes the restored font back, not the font of the window's definition.
  storage.SaveSettings();
  EXPECT_EQ(registry.Text(outside::kSettingsKey, "FontName"), "Arial");
  EXPECT_EQ(registry.Text(outside::kSettingsKey, "FontSize"), "22");
}

TEST_F(CustomSettings, UncheckedStartupRemovesTheEntryAtTheLoad) {
  registry.Put(outside::kRunKey, "Tindrel", "C:\\old\\Tindrel.exe");
  Put("chbStartup_Checked", "False");
  storage.LoadSettings();
  EXPECT_FALSE(registry.QueryValue(outside::kRunKey, "Tindrel"));
}

}  // namespace
}  // namespace tindrel
