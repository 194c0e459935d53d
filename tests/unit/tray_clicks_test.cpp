#include "settings/tray_clicks.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tindrel
