#include "app/menu_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>

#include "app/countdown.h"
#include "base/error.h"

namespace tindrel {
namespace {

std::vector<std::string> NamesOf(const std::vector<MenuItem*>& entries) {
  std::vector<std::string> names;
  for (const MenuItem* entry : entries) names.push_back(entry->name);
  return names;
}

std::vector<std::string> NamesOf(const MenuItem& menu) {
  std::vector<std::string> names;
  for (const auto& entry : menu.items()) names.push_back(entry->name);
  return names;
}

std::vector<MenuCommand> CommandsOf(const MenuItem& menu) {
  std::vector<MenuCommand> commands;
  for (const auto& entry : menu.items()) commands.push_back(entry->command);
  return commands;
}

std::vector<std::string> CaptionsOf(const MenuItem& menu) {
  std::vector<std::string> captions;
  for (const auto& entry : menu.items()) captions.push_back(entry->caption);
  return captions;
}

std::vector<std::string> CheckedNames(const MenuItem& menu) {
  std::vector<std::string> names;
  for (const auto& entry : menu.items()) {
    if (entry->checked()) names.push_back(entry->name);
  }
  return names;
}

class PopupMenuTest : public ::testing::Test {
 protected:
  MenuItem& Entry(const std::string& name) { return EntryNamed(*root_, name); }
  std::vector<std::string> Rebuild(std::vector<std::string> skins, std::vector<std::string> sounds,
                                   std::string skin_name = "glass",
                                   std::string sound_name = "JingleBells") {
    return RebuildMenuLists(
        *root_, {std::move(skins), std::move(sounds), std::move(skin_name), std::move(sound_name)});
  }

  std::unique_ptr<MenuItem> root_ = BuildPopupMenu();
};

TEST_F(PopupMenuTest, TopLevelHoldsTheFixedEntriesInOrder) {
  EXPECT_EQ(CommandsOf(*root_),
            (std::vector<MenuCommand>{
                MenuCommand::kAbout, MenuCommand::kTellAFriend, MenuCommand::kNone,
                MenuCommand::kNone, MenuCommand::kShowHide, MenuCommand::kNone, MenuCommand::kNone,
                MenuCommand::kNone, MenuCommand::kFont, MenuCommand::kNone, MenuCommand::kNone,
                MenuCommand::kNone, MenuCommand::kExit}));
  EXPECT_EQ(CaptionsOf(*root_),
            (std::vector<std::string>{"About...", "Merry Christmas a Friend...", "Download", "-",
                                      "Show/Hide", "Due Date", "Skins", "Sounds", "Font...", "-",
                                      "Settings", "-", "Exit"}));
  EXPECT_EQ(CaptionsOf(Entry(menu_names::kDownloadMenu)),
            (std::vector<std::string>{"Snow Globe Screensaver", "Winter Wreath Wallpaper"}));
  EXPECT_EQ(CommandsOf(Entry(menu_names::kDownloadMenu)),
            (std::vector<MenuCommand>{MenuCommand::kDownloadGlobe, MenuCommand::kDownloadWreath}));
  EXPECT_FALSE(Entry(menu_names::kSkinsMenu).HasSubmenu());
}

TEST_F(PopupMenuTest, ShowHideIsTheOnlyDefaultEntry) {
  int defaults = 0;
  for (const auto& entry : root_->items()) defaults += entry->is_default ? 1 : 0;
  EXPECT_EQ(defaults, 1);
  EXPECT_TRUE(Entry("ShowHide1").is_default);
  EXPECT_EQ(Entry("ShowHide1").command, MenuCommand::kShowHide);
}

TEST_F(PopupMenuTest, DueDateEntriesAreAutoCheckRadioOfOneGroupWithTheirTags) {
  const MenuItem& due = Entry(menu_names::kDueDateMenu);
  EXPECT_EQ(NamesOf(due),
            (std::vector<std::string>{"ChristmasDecember2420071", "Christmas1", "NewYear1",
                                      "ChristmasJanuary71", menu_names::kSeparatorAfterDueDates}));
  const int tags[] = {3, 0, 1, 2};
  for (std::size_t i = 0; i < 4; ++i) {
    const MenuItem& entry = due.item(i);
    EXPECT_TRUE(entry.radio && entry.auto_check) << entry.name;
    EXPECT_EQ(entry.group, 5) << entry.name;
    EXPECT_EQ(entry.tag, tags[i]) << entry.name;
    EXPECT_EQ(entry.command, MenuCommand::kDueDate) << entry.name;
  }
  EXPECT_EQ(CheckedNames(due), std::vector<std::string>{"Christmas1"});
}

TEST_F(PopupMenuTest, ScheduleAndSettingsStartWithTheirFirstStartMarks) {
  const MenuItem& sounds = Entry(menu_names::kSoundsMenu);
  EXPECT_EQ(CaptionsOf(sounds),
            (std::vector<std::string>{"Every Hour", "Every Half Hour", "Never", "-"}));
  EXPECT_EQ(CheckedNames(sounds), std::vector<std::string>{"EveryHour1"});
  EXPECT_EQ(Entry("Never1").group, 1);
  EXPECT_TRUE(Entry("Never1").radio && Entry("Never1").auto_check);

  const MenuItem& settings = Entry(menu_names::kSettingsMenu);
  EXPECT_EQ(CaptionsOf(settings),
            (std::vector<std::string>{"Load at Startup", "Always On Top", "Display Shadow",
                                      "Show Days Remaining", "Show Stars"}));
  EXPECT_EQ(CheckedNames(settings), NamesOf(settings));
  for (const auto& entry : settings.items()) {
    EXPECT_TRUE(entry->auto_check && !entry->radio) << entry->name;
  }
  EXPECT_EQ(Entry("chbStartup").command, MenuCommand::kStartup);
  EXPECT_EQ(Entry("OnTop1").command, MenuCommand::kOnTop);
  EXPECT_EQ(Entry("DisplayShadow1").command, MenuCommand::kDisplayShadow);
}

TEST_F(PopupMenuTest, DueDateCaptionsTakeTheYearsOfCreation) {
  SetDueDateCaptions(*root_, EncodeDateTime({2024, 12, 25, 0, 0, 0, 1}));
  EXPECT_EQ(CaptionsOf(Entry(menu_names::kDueDateMenu)),
            (std::vector<std::string>{"Christmas - December 24 2025",
                                      "Christmas - December 25 2025", "New Year - January 1 2025",
                                      "Julian Christmas - January 7 2025", "-"}));
}

TEST_F(PopupMenuTest, ClickingARadioEntryChecksItAndUnchecksItsGroup) {
  ApplyAutoCheck(Entry("NewYear1"));
  EXPECT_EQ(CheckedNames(Entry(menu_names::kDueDateMenu)), std::vector<std::string>{"NewYear1"});
}

TEST_F(PopupMenuTest, ClickingTheCheckedRadioEntryLeavesItsGroupEmptyButADueDateStays) {
  ApplyAutoCheck(Entry("EveryHour1"));
  EXPECT_TRUE(CheckedNames(Entry(menu_names::kSoundsMenu)).empty());
  ApplyAutoCheck(Entry("Christmas1"));
  EXPECT_EQ(CheckedNames(Entry(menu_names::kDueDateMenu)), std::vector<std::string>{"Christmas1"});
  ApplyAutoCheck(Entry("NewYear1"));
  ApplyAutoCheck(Entry("NewYear1"));
  EXPECT_EQ(CheckedNames(Entry(menu_names::kDueDateMenu)), std::vector<std::string>{"NewYear1"});
}

TEST_F(PopupMenuTest, ClickingACheckEntryFlipsOnlyIt) {
  ApplyAutoCheck(Entry("OnTop1"));
  EXPECT_FALSE(Entry("OnTop1").checked());
  EXPECT_TRUE(Entry("DisplayShadow1").checked());
  ApplyAutoCheck(Entry("OnTop1"));
  EXPECT_TRUE(Entry("OnTop1").checked());
}

TEST_F(PopupMenuTest, RadioGroupsReachNeitherOtherSubmenusNorOtherGroups) {
  Rebuild({"glass.png", "frost.png"}, {"JingleBells.mp3", "Bells.mp3"});
  MenuItem& frost = *FindChildByName(Entry(menu_names::kSkinsMenu), "frost");
  MenuItem& bells = *FindChildByName(Entry(menu_names::kSoundsMenu), "Bells");
  frost.SetChecked(true);
  bells.SetChecked(true);
  // Both lists use group 0, yet in different submenus; the schedule is group 1.
  EXPECT_EQ(CheckedNames(Entry(menu_names::kSkinsMenu)), std::vector<std::string>{"frost"});
  EXPECT_EQ(CheckedNames(Entry(menu_names::kSoundsMenu)),
            (std::vector<std::string>{"EveryHour1", "Bells"}));
}

TEST_F(PopupMenuTest, ListEntriesDoNotChangeTheirMarkOnClick) {
  Rebuild({"glass.png", "frost.png"}, {});
  MenuItem& frost = *FindChildByName(Entry(menu_names::kSkinsMenu), "frost");
  ApplyAutoCheck(frost);
  EXPECT_EQ(CheckedNames(Entry(menu_names::kSkinsMenu)), std::vector<std::string>{"glass"});
}

TEST(SeparatorVisibility, HidesLeadingTrailingAndRepeatedSeparators) {
  MenuItem menu("Menu", "");
  for (const char* name : {"s1", "a", "s2", "s3", "b", "s4", "s5"}) {
    menu.Add(std::make_unique<MenuItem>(name, name[0] == 's' ? "-" : name));
  }
  EXPECT_EQ(NamesOf(VisibleEntries(menu)), (std::vector<std::string>{"a", "s2", "b"}));
  MenuItem only_separators("Menu", "");
  only_separators.Add(std::make_unique<MenuItem>("s", "-"));
  EXPECT_TRUE(VisibleEntries(only_separators).empty());
}

TEST_F(PopupMenuTest, FixedTreeShowsNoDanglingSeparator) {
  EXPECT_EQ(NamesOf(VisibleEntries(Entry(menu_names::kDueDateMenu))).back(), "ChristmasJanuary71");
  Rebuild({}, {});
  EXPECT_EQ(NamesOf(VisibleEntries(Entry(menu_names::kSoundsMenu))),
            (std::vector<std::string>{"EveryHour1", "EveryHalfHour1", "Never1"}));
  Rebuild({}, {"JingleBells.mp3"});
  EXPECT_EQ(NamesOf(VisibleEntries(Entry(menu_names::kSoundsMenu))),
            (std::vector<std::string>{"EveryHour1", "EveryHalfHour1", "Never1",
                                      menu_names::kSeparatorAfterSchedule, "JingleBells"}));
}

// Every non-separator caption carries exactly one mark, and no letter twice in one menu.
void ExpectDistinctMarks(const MenuItem& menu) {
  std::set<char> letters;
  for (const auto& entry : menu.items()) {
    if (entry->IsSeparator()) continue;
    const std::string& caption = entry->caption;
    ASSERT_EQ(std::count(caption.begin(), caption.end(), '&'), 1) << caption;
    const char letter = static_cast<char>(std::tolower(caption[caption.find('&') + 1]));
    EXPECT_TRUE(letters.insert(letter).second) << caption;
  }
}

TEST_F(PopupMenuTest, AcceleratorsAreDistinctPerMenuAndWrittenIntoCaptions) {
  AssignAccelerators(*root_);
  EXPECT_EQ(CaptionsOf(*root_),
            (std::vector<std::string>{"&About...", "&Merry Christmas a Friend...", "&Download", "-",
                                      "&Show/Hide", "D&ue Date", "S&kins", "S&ounds", "&Font...",
                                      "-", "S&ettings", "-", "E&xit"}));
  ExpectDistinctMarks(*root_);
  SetDueDateCaptions(*root_, EncodeDate(2024, 7, 1));
  AssignAccelerators(Entry(menu_names::kDueDateMenu));
  EXPECT_EQ(Entry("Christmas1").caption, "Christmas - &December 25 2024");
  ExpectDistinctMarks(Entry(menu_names::kDueDateMenu));
  AssignAccelerators(Entry(menu_names::kSettingsMenu));
  ExpectDistinctMarks(Entry(menu_names::kSettingsMenu));
  // The same letter may serve again in another submenu.
  EXPECT_EQ(Entry("chbStartup").caption, "&Load at Startup");
  EXPECT_EQ(Entry("DisplayShadow1").caption, "&Display Shadow");
}

TEST_F(PopupMenuTest, ReopeningReassignsMarksWithoutDoublingThem) {
  AssignAccelerators(*root_);
  const std::vector<std::string> first = CaptionsOf(*root_);
  AssignAccelerators(*root_);
  EXPECT_EQ(CaptionsOf(*root_), first);
  Entry("ShowHide1").caption = "Sho&w/Hide";
  AssignAccelerators(*root_);
  EXPECT_EQ(Entry("ShowHide1").caption, "&Show/Hide");
}

TEST(Accelerators, AnEntryWithoutAFreeLetterGetsNoMarkAndLiteralAmpersandsStay) {
  MenuItem menu("Menu", "");
  for (const char* caption : {"ab", "ab", "ab", "R&&D"}) {
    menu.Add(std::make_unique<MenuItem>("", caption));
  }
  AssignAccelerators(menu);
  EXPECT_EQ(CaptionsOf(menu), (std::vector<std::string>{"&ab", "a&b", "ab", "&R&&D"}));
  EXPECT_EQ(StripAccelerator("&R&&D"), "R&&D");
}

// The lists are rebuilt into the entries of those names whatever their captions show: the marks
// given at each opening, or another caption altogether.
TEST_F(PopupMenuTest, EntriesAreFoundByNameWhateverTheirCaptions) {
  AssignAccelerators(*root_);
  Entry(menu_names::kSkinsMenu).caption = "Pictures";
  Entry(menu_names::kSoundsMenu).caption = "Skins";
  Rebuild({"frost.png"}, {"Bells.mp3"});
  EXPECT_EQ(NamesOf(Entry(menu_names::kSkinsMenu)), std::vector<std::string>{"frost"});
  EXPECT_EQ(Entry(menu_names::kSoundsMenu).count(), 5u);
  EXPECT_EQ(FindByName(*root_, "NoSuchEntry"), nullptr);
  EXPECT_THROW(EntryNamed(*root_, "NoSuchEntry"), Error);
}

TEST(ComponentNames, AcceptIdentifiersOnly) {
  EXPECT_TRUE(IsValidComponentName("glass"));
  EXPECT_TRUE(IsValidComponentName("JingleBells"));
  EXPECT_TRUE(IsValidComponentName("_winter_2"));
  EXPECT_TRUE(IsValidComponentName(""));
  EXPECT_FALSE(IsValidComponentName("old winter"));
  EXPECT_FALSE(IsValidComponentName("old-winter"));
  EXPECT_FALSE(IsValidComponentName("old.winter"));
  EXPECT_FALSE(IsValidComponentName("2winter"));
  EXPECT_FALSE(IsValidComponentName("No\xC3\xABl"));
}

TEST(ComponentNames, BaseNameDropsOnlyTheLastExtension) {
  EXPECT_EQ(BaseName("glass.png"), "glass");
  EXPECT_EQ(BaseName("old.winter.png"), "old.winter");
  EXPECT_EQ(BaseName(".mp3"), "");
}

TEST_F(PopupMenuTest, ListEntriesAreRadioWithTheBaseNameAndExactCaseMark) {
  EXPECT_TRUE(Rebuild({"glass.png", "Frost.png"}, {"JingleBells.mp3", "jinglebells2.mp3"}, "Glass",
                      "JingleBells")
                  .empty());
  const MenuItem& skins = Entry(menu_names::kSkinsMenu);
  EXPECT_EQ(NamesOf(skins), (std::vector<std::string>{"glass", "Frost"}));
  EXPECT_EQ(CaptionsOf(skins), NamesOf(skins));
  EXPECT_TRUE(CheckedNames(skins).empty());
  for (const auto& entry : skins.items()) {
    EXPECT_TRUE(entry->radio && !entry->auto_check);
    EXPECT_EQ(entry->command, MenuCommand::kSelectSkin);
  }
  const MenuItem& sounds = Entry(menu_names::kSoundsMenu);
  EXPECT_EQ(sounds.item(5).name, "jinglebells2");
  EXPECT_EQ(sounds.item(5).command, MenuCommand::kSelectSound);
  EXPECT_EQ(CheckedNames(sounds), (std::vector<std::string>{"EveryHour1", "JingleBells"}));
}

TEST_F(PopupMenuTest, ManyOpeningsKeepOneEntryPerFile) {
  for (int opening = 0; opening < 5; ++opening) {
    Rebuild({"glass.png", "frost.png"}, {"JingleBells.mp3"});
  }
  EXPECT_EQ(NamesOf(Entry(menu_names::kSkinsMenu)), (std::vector<std::string>{"glass", "frost"}));
  EXPECT_EQ(NamesOf(Entry(menu_names::kSoundsMenu)),
            (std::vector<std::string>{"EveryHour1", "EveryHalfHour1", "Never1",
                                      menu_names::kSeparatorAfterSchedule, "JingleBells"}));
  Rebuild({}, {});
  EXPECT_EQ(Entry(menu_names::kSkinsMenu).count(), 0u);
  EXPECT_EQ(Entry(menu_names::kSoundsMenu).count(), 4u);
}

TEST_F(PopupMenuTest, InvalidNamesAreReportedOnceEachPerOpeningAndLeftOut) {
  for (int opening = 0; opening < 2; ++opening) {
    const std::vector<std::string> errors =
        Rebuild({"a.png", "old.winter.png", "b.png"}, {"bad name.mp3", "ok.mp3"});
    EXPECT_EQ(errors, (std::vector<std::string>{"''old.winter'' is not a valid component name",
                                                "''bad name'' is not a valid component name"}));
    EXPECT_EQ(NamesOf(Entry(menu_names::kSkinsMenu)), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Entry(menu_names::kSoundsMenu).count(), 5u);
  }
  EXPECT_THROW(AddSkinMenuItem(Entry(menu_names::kSkinsMenu), "1st", ""), Error);
}

TEST_F(PopupMenuTest, AnEmptyBaseNameGivesAnEntryWithAnEmptyCaption) {
  Rebuild({".png"}, {});
  ASSERT_EQ(Entry(menu_names::kSkinsMenu).count(), 1u);
  EXPECT_EQ(Entry(menu_names::kSkinsMenu).item(0).caption, "");
}

TEST_F(PopupMenuTest, AFileNamedLikeAFixedEntryDoesNotReplaceIt) {
  Rebuild({"Exit1.png"}, {"OnTop1.mp3"});
  EXPECT_EQ(Entry(menu_names::kExit).command, MenuCommand::kExit);
  EXPECT_EQ(Entry("OnTop1").command, MenuCommand::kOnTop);
  EXPECT_EQ(FindChildByName(Entry(menu_names::kSkinsMenu), menu_names::kExit)->command,
            MenuCommand::kSelectSkin);
}

TEST_F(PopupMenuTest, RebuildKeepsTheScheduleMarks) {
  ApplyAutoCheck(Entry("Never1"));
  Rebuild({}, {"JingleBells.mp3"});
  EXPECT_EQ(CheckedNames(Entry(menu_names::kSoundsMenu)),
            (std::vector<std::string>{"Never1", "JingleBells"}));
}

}  // namespace
}  // namespace tindrel
