#include "shell/tray_clicks.h"

#include <gtest/gtest.h>

#include <vector>

namespace tindrel {
namespace {

using E = TrayMouseEvent;
using A = TrayAction;

TEST(TrayClicks, PressThenReleaseRaisesOneClickPerButton) {
  TrayClickTracker tracker;
  EXPECT_EQ(tracker.Handle(E::kLeftDown), A::kNone);
  EXPECT_EQ(tracker.Handle(E::kLeftUp), A::kAwaitDoubleClick);
  EXPECT_EQ(tracker.DoubleClickTimeOver(), A::kLeftClick);
  EXPECT_EQ(tracker.DoubleClickTimeOver(), A::kNone);
  EXPECT_EQ(tracker.Handle(E::kLeftUp), A::kNone);
  EXPECT_EQ(tracker.Handle(E::kRightDown), A::kNone);
  EXPECT_EQ(tracker.Handle(E::kRightUp), A::kRightClick);
  EXPECT_EQ(tracker.Handle(E::kRightUp), A::kNone);
}

TEST(TrayClicks, ReleaseWithoutPressOverTheIconRaisesNothing) {
  TrayClickTracker tracker;
  EXPECT_EQ(tracker.Handle(E::kLeftUp), A::kNone);
  EXPECT_EQ(tracker.Handle(E::kRightUp), A::kNone);
}

TEST(TrayClicks, PressReleasedElsewhereStaysPendingUntilTheNextRelease) {
  TrayClickTracker tracker;
  tracker.Handle(E::kLeftDown);
  tracker.Handle(E::kMove);
  EXPECT_TRUE(tracker.left_pending());
  EXPECT_EQ(tracker.Handle(E::kLeftUp), A::kAwaitDoubleClick);
  EXPECT_FALSE(tracker.left_pending());
}

TEST(TrayClicks, ButtonsKeepSeparatePendingFlags) {
  TrayClickTracker tracker;
  tracker.Handle(E::kLeftDown);
  EXPECT_EQ(tracker.Handle(E::kRightUp), A::kNone);
  EXPECT_EQ(tracker.Handle(E::kLeftUp), A::kAwaitDoubleClick);
}

TEST(TrayClicks, DoubleClickRunsOnceInPlaceOfItsFirstClickAndItsReleaseRaisesNothing) {
  TrayClickTracker tracker;
  EXPECT_EQ(tracker.Handle(E::kLeftDown), A::kNone);
  EXPECT_EQ(tracker.Handle(E::kLeftUp), A::kAwaitDoubleClick);
  EXPECT_EQ(tracker.Handle(E::kLeftDoubleClick), A::kDoubleClick);
  EXPECT_EQ(tracker.Handle(E::kLeftUp), A::kNone);
  EXPECT_EQ(tracker.DoubleClickTimeOver(), A::kNone) << "the first click is not raised as well";
  EXPECT_EQ(tracker.Handle(E::kRightDoubleClick), A::kNone);
  EXPECT_EQ(tracker.Handle(E::kRightUp), A::kNone);
}

TEST(TrayClicks, MiddleButtonDoesNothing) {
  TrayClickTracker tracker;
  EXPECT_EQ(tracker.Handle(E::kMiddleDown), A::kNone);
  EXPECT_EQ(tracker.Handle(E::kMiddleUp), A::kNone);
  EXPECT_EQ(tracker.Handle(E::kMiddleDoubleClick), A::kNone);
  EXPECT_FALSE(tracker.left_pending() || tracker.right_pending());
}

// The shell's notice after each release belongs to the click already handled; the one after the
// second release of a double click too.
TEST(TrayClicks, TheNoticeThatFollowsAReleaseIsTheMouses) {
  TrayClickTracker tracker;
  std::vector<A> actions;
  for (E event : {E::kLeftDown, E::kLeftUp, E::kSelect, E::kLeftDoubleClick, E::kLeftUp, E::kSelect,
                  E::kRightDown, E::kRightUp, E::kContextMenu}) {
    actions.push_back(tracker.Handle(event));
  }
  EXPECT_EQ(actions, (std::vector<A>{A::kNone, A::kAwaitDoubleClick, A::kNone, A::kDoubleClick,
                                     A::kNone, A::kNone, A::kNone, A::kRightClick, A::kNone}));
}

TEST(TrayClicks, TheKeyboardsSelectionAndContextMenuOpenTheMenu) {
  TrayClickTracker tracker;
  EXPECT_EQ(tracker.Handle(E::kKeySelect), A::kKeyboardMenu);
  EXPECT_EQ(tracker.Handle(E::kSelect), A::kKeyboardMenu);
  EXPECT_EQ(tracker.Handle(E::kContextMenu), A::kKeyboardMenu);
  // Only one notice follows a release.
  tracker.Handle(E::kRightDown);
  tracker.Handle(E::kRightUp);
  EXPECT_EQ(tracker.Handle(E::kContextMenu), A::kNone);
  EXPECT_EQ(tracker.Handle(E::kContextMenu), A::kKeyboardMenu);
  // A release without its notice (a shell that sends none) is forgotten at the next press.
  tracker.Handle(E::kLeftDown);
  tracker.Handle(E::kLeftUp);
  tracker.Handle(E::kRightDown);
  tracker.Handle(E::kRightUp);
  tracker.Handle(E::kMiddleDown);
  EXPECT_EQ(tracker.Handle(E::kSelect), A::kKeyboardMenu);
  EXPECT_EQ(tracker.Handle(E::kContextMenu), A::kKeyboardMenu);
  EXPECT_EQ(tracker.Handle(E::kKeySelect), A::kKeyboardMenu);
}

}  // namespace
}  // namespace tindrel
