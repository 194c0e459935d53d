#include "app/win32/popup_menu.h"

#include <gtest/gtest.h>

#include <string>

#include "app/menu_model.h"

namespace tindrel::win {
namespace {

MENUITEMINFOW InfoAt(HMENU menu, UINT position) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
  EXPECT_TRUE(GetMenuItemInfoW(menu, position, TRUE, &info)) << "position " << position;
  return info;
}

std::wstring TextAt(HMENU menu, UINT position) {
  wchar_t text[256] = {};
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = text;
  info.cch = 256;
  GetMenuItemInfoW(menu, position, TRUE, &info);
  return text;
}

std::vector<std::wstring> Texts(HMENU menu) {
  std::vector<std::wstring> texts;
  for (int position = 0; position < GetMenuItemCount(menu); ++position) {
    const bool separator = (InfoAt(menu, position).fType & MFT_SEPARATOR) != 0;
    texts.push_back(separator ? L"-" : TextAt(menu, position));
  }
  return texts;
}

class PopupMenuViewTest : public ::testing::Test {
 protected:
  MenuItem& Entry(const std::string& name) { return EntryNamed(*root_, name); }
  HMENU Submenu(HMENU menu, UINT position) { return InfoAt(menu, position).hSubMenu; }

  std::unique_ptr<MenuItem> root_ = BuildPopupMenu();
};

TEST_F(PopupMenuViewTest, TopLevelHasEveryEntryInOrder) {
  PopupMenuView view(*root_);
  EXPECT_EQ(Texts(view.Handle()),
            (std::vector<std::wstring>{L"About...", L"Merry Christmas a Friend...", L"Download",
                                       L"-", L"Show/Hide", L"Due Date", L"Skins", L"Sounds",
                                       L"Font...", L"-", L"Settings", L"-", L"Exit"}));
  EXPECT_EQ(GetMenuItemCount(Submenu(view.Handle(), 2)), 2);
  EXPECT_EQ(view.ItemForCommand(GetMenuItemID(view.Handle(), 0)), &Entry(menu_names::kAbout));
  EXPECT_EQ(view.ItemForCommand(GetMenuItemID(view.Handle(), 12)), &Entry(menu_names::kExit));
  EXPECT_EQ(view.ItemForCommand(0), nullptr);
  EXPECT_EQ(view.ItemForCommand(10000), nullptr);
}

TEST_F(PopupMenuViewTest, ShowHideIsTheBoldDefaultEntry) {
  PopupMenuView view(*root_);
  EXPECT_EQ(GetMenuDefaultItem(view.Handle(), TRUE, 0), 4u);
  EXPECT_TRUE(InfoAt(view.Handle(), 4).fState & MFS_DEFAULT);
  EXPECT_FALSE(InfoAt(view.Handle(), 0).fState & MFS_DEFAULT);
}

TEST_F(PopupMenuViewTest, RadioEntriesCarryTheRadioCheckAndTheirMarks) {
  PopupMenuView view(*root_);
  const HMENU due = Submenu(view.Handle(), 5);
  ASSERT_NE(due, nullptr);
  EXPECT_EQ(GetMenuItemCount(due), 4);  // the trailing separator is not inserted
  for (UINT position = 0; position < 4; ++position) {
    const MENUITEMINFOW info = InfoAt(due, position);
    EXPECT_TRUE(info.fType & MFT_RADIOCHECK);
    EXPECT_EQ((info.fState & MFS_CHECKED) != 0, position == 1) << position;
  }
  const HMENU settings = Submenu(view.Handle(), 10);
  ASSERT_EQ(GetMenuItemCount(settings), 5);
  for (UINT position = 0; position < 5; ++position) {
    const MENUITEMINFOW info = InfoAt(settings, position);
    EXPECT_FALSE(info.fType & MFT_RADIOCHECK);
    EXPECT_TRUE(info.fState & MFS_CHECKED);
  }
}

TEST_F(PopupMenuViewTest, SoundSeparatorShowsOnlyBeforeSoundEntries) {
  RebuildMenuLists(*root_, {{}, {}, "glass", "JingleBells"});
  {
    PopupMenuView view(*root_);
    EXPECT_EQ(Texts(Submenu(view.Handle(), 7)),
              (std::vector<std::wstring>{L"Every Hour", L"Every Half Hour", L"Never"}));
    // An empty Skins list leaves a plain entry.
    EXPECT_EQ(Submenu(view.Handle(), 6), nullptr);
  }
  RebuildMenuLists(*root_, {{"glass.png"}, {"JingleBells.mp3"}, "glass", "JingleBells"});
  PopupMenuView view(*root_);
  const HMENU sounds = Submenu(view.Handle(), 7);
  EXPECT_EQ(Texts(sounds), (std::vector<std::wstring>{L"Every Hour", L"Every Half Hour", L"Never",
                                                      L"-", L"JingleBells"}));
  EXPECT_TRUE(InfoAt(sounds, 4).fType & MFT_RADIOCHECK);
  EXPECT_TRUE(InfoAt(sounds, 4).fState & MFS_CHECKED);
  EXPECT_EQ(Texts(Submenu(view.Handle(), 6)), std::vector<std::wstring>{L"glass"});
}

TEST_F(PopupMenuViewTest, OpeningAMenuWritesItsAcceleratorsIntoBothCaptions) {
  PopupMenuView view(*root_);
  ASSERT_TRUE(view.PrepareToOpen(view.Handle()));
  EXPECT_EQ(TextAt(view.Handle(), 5), L"D&ue Date");
  EXPECT_EQ(TextAt(view.Handle(), 12), L"E&xit");
  EXPECT_EQ(Entry(menu_names::kExit).caption, "E&xit");
  // A submenu is marked only when it opens itself.
  const HMENU due = Submenu(view.Handle(), 5);
  EXPECT_EQ(TextAt(due, 1), L"Christmas - December 25 2007");
  ASSERT_TRUE(view.PrepareToOpen(due));
  EXPECT_EQ(TextAt(due, 1), L"Christmas - &December 25 2007");
  EXPECT_EQ(Entry("Christmas1").caption, "Christmas - &December 25 2007");
  ASSERT_TRUE(view.PrepareToOpen(due));
  EXPECT_EQ(TextAt(due, 1), L"Christmas - &December 25 2007");
  EXPECT_FALSE(view.PrepareToOpen(reinterpret_cast<HMENU>(0x1234)));
}

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) {
  EndMenu();
}

// A window of this thread to own the menu, with keyboard input queued for the menu loop.
class ShownMenuTest : public PopupMenuViewTest {
 protected:
  void SetUp() override {
    owner_.reset(CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 10, 10, 50, 50,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(owner_);
    SetForegroundWindow(owner_.get());
    // Should the queued input not reach the menu loop, the menu still closes and the test fails
    // instead of waiting for ever.
    SetTimer(owner_.get(), 1, 3000, CloseMenu);
  }
  void QueueCharacters(const wchar_t* keys) {
    for (const wchar_t* key = keys; *key != 0; ++key) {
      PostMessageW(owner_.get(), WM_CHAR, *key, 0);
    }
  }
  MenuItem* Show() { return ShowPopupMenu(*root_, owner_.get(), POINT{20, 20}); }

  ScopedWindow owner_;
};

TEST_F(ShownMenuTest, AcceleratorLetterChoosesTheEntry) {
  QueueCharacters(L"x");
  EXPECT_EQ(Show(), &Entry(menu_names::kExit));
  EXPECT_EQ(Entry(menu_names::kExit).caption, "E&xit");
}

TEST_F(ShownMenuTest, SubmenuGetsItsAcceleratorsWhenItOpens) {
  SetDueDateCaptions(*root_, 45000.0);
  QueueCharacters(L"uj");
  EXPECT_EQ(Show(), &Entry("ChristmasJanuary71"));
  EXPECT_EQ(Entry("ChristmasJanuary71").caption.rfind("&Julian Christmas - January 7 ", 0), 0u);
  // The Settings submenu never opened.
  EXPECT_EQ(Entry("OnTop1").caption, "Always On Top");
}

TEST_F(ShownMenuTest, DismissedMenuChoosesNothing) {
  PostMessageW(owner_.get(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(Show(), nullptr);
}

}  // namespace
}  // namespace tindrel::win
