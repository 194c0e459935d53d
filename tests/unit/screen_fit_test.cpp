#include "settings/screen_fit.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <vector>

namespace tindrel {
namespace {

// Two monitors side by side: a 1920x1040 work area (a taskbar of 40 at the bottom) and a 1280x1024
// one to its right whose top lies 100 pixels lower.
const PlacementRect kLeftArea{0, 0, 1920, 1040};
const PlacementRect kRightArea{1920, 100, 3200, 1124};
const std::vector<PlacementRect> kTwoMonitors{kLeftArea, kRightArea};

PlacementRect Window(int left, int top, int width = 300, int height = 286) {
  return PlacementRect{left, top, left + width, top + height};
}

void ExpectRect(const std::optional<PlacementRect>& actual, const PlacementRect& expected) {
  ASSERT_TRUE(actual.has_value());
  EXPECT_EQ(actual->left, expected.left);
  EXPECT_EQ(actual->top, expected.top);
  EXPECT_EQ(actual->right, expected.right);
  EXPECT_EQ(actual->bottom, expected.bottom);
}

TEST(FitOnScreen, WindowOverlappingAnAreaByTheMarginStays) {
  EXPECT_FALSE(FitOnScreen(Window(366, 216), kTwoMonitors));
  // 32 pixels on the right edge of the left monitor, and across the gap between the two.
  EXPECT_FALSE(FitOnScreen(Window(1888, 500), kTwoMonitors));
  EXPECT_FALSE(FitOnScreen(Window(-268, -254), kTwoMonitors));
  // Half on each monitor.
  EXPECT_FALSE(FitOnScreen(Window(1770, 400), kTwoMonitors));
}

TEST(FitOnScreen, WindowOverlappingByLessThanTheMarginMovesFullyInside) {
  ExpectRect(FitOnScreen(Window(-269, 100), kTwoMonitors), Window(0, 100));
  ExpectRect(FitOnScreen(Window(500, 1009), kTwoMonitors), Window(500, 1040 - 286));
  // 31 pixels inside the top-left corner in both directions.
  ExpectRect(FitOnScreen(Window(-269, -255), kTwoMonitors), Window(0, 0));
}

TEST(FitOnScreen, WindowFarOffGoesToTheNearestMonitor) {
  ExpectRect(FitOnScreen(Window(5000, 4000), kTwoMonitors), Window(3200 - 300, 1124 - 286));
  ExpectRect(FitOnScreen(Window(-3000, 600), kTwoMonitors), Window(0, 600));
  // Above the right monitor's top, which lies lower than the left one's: the right one is
  // nearer along the row, and the window keeps its column.
  ExpectRect(FitOnScreen(Window(2500, -900), kTwoMonitors), Window(2500, 100));
  // In the gap under the left monitor's work area and left of the right one's bottom.
  ExpectRect(FitOnScreen(Window(100, 1300), kTwoMonitors), Window(100, 1040 - 286));
}

TEST(FitOnScreen, WindowLargerThanTheAreaShowsItsTopLeftCorner) {
  const std::vector<PlacementRect> small{PlacementRect{0, 0, 200, 150}};
  ExpectRect(FitOnScreen(Window(900, 900), small), Window(0, 0));
}

TEST(FitOnScreen, WindowSmallerThanTheMarginNeedsToBeWhollyOnScreen) {
  const std::vector<PlacementRect> one{kLeftArea};
  EXPECT_FALSE(FitOnScreen(Window(1900, 10, 20, 20), one));
  ExpectRect(FitOnScreen(Window(1901, 10, 20, 20), one), Window(1900, 10, 20, 20));
}

TEST(FitOnScreen, PlacesAtTheEndsOfThe32BitRangeAndMonitorsLeftOfThePrimaryOne) {
  constexpr int kMax = std::numeric_limits<int>::max();
  constexpr int kMin = std::numeric_limits<int>::min();
  const std::vector<PlacementRect> with_left_monitor{PlacementRect{-1600, -200, 0, 1000},
                                                     kLeftArea};
  ExpectRect(FitOnScreen(PlacementRect{kMax - 300, kMax - 286, kMax, kMax}, with_left_monitor),
             Window(1620, 754));
  ExpectRect(FitOnScreen(Window(kMin, kMin), with_left_monitor), Window(-1600, -200));
  EXPECT_FALSE(FitOnScreen(Window(-900, 300), with_left_monitor));
}

TEST(ScreenKeeper, StoredPlaceNearTheRangeEndKeepsItsFarEdgeInRange) {
  constexpr int kMax = std::numeric_limits<int>::max();
  ScreenKeeper keeper;
  keeper.Place(PlacementRect{kMax - 300, 100, kMax, 386}, kTwoMonitors);
  // The first frame makes the window wider than the stored rectangle.
  const PlacementRect stored = keeper.StoredRect(Window(2900, 100, 400, 286));
  EXPECT_EQ(stored.left, kMax - 300);
  EXPECT_EQ(stored.right, kMax);
}

TEST(FitOnScreen, NoUsableAreaLeavesTheWindowWhereItIs) {
  EXPECT_FALSE(FitOnScreen(Window(5000, 4000), {}));
  EXPECT_FALSE(FitOnScreen(Window(5000, 4000), {PlacementRect{0, 0, 0, 1024}}));
}

TEST(ScreenKeeper, PlaceOnScreenIsTakenAsItIsAndStored) {
  ScreenKeeper keeper;
  ExpectRect(keeper.Place(Window(140, 150), kTwoMonitors), Window(140, 150));
  ExpectRect(keeper.StoredRect(Window(140, 150)), Window(140, 150));
  EXPECT_FALSE(keeper.Refit(Window(140, 150), kTwoMonitors));
}

TEST(ScreenKeeper, OffScreenPlaceStaysStoredUntilTheWindowIsMoved) {
  ScreenKeeper keeper;
  ExpectRect(keeper.Place(Window(5000, 4000), kTwoMonitors), Window(2900, 838));
  // The first frame gives the window its real size; the stored place keeps its corner.
  ExpectRect(keeper.StoredRect(Window(2900, 838, 250, 200)), Window(5000, 4000, 250, 200));
  // Dragged by the user: from now on the new place is stored.
  ExpectRect(keeper.StoredRect(Window(2960, 878)), Window(2960, 878));
}

TEST(ScreenKeeper, WindowReturnsToItsPlaceWhenThatMonitorComesBack) {
  ScreenKeeper keeper;
  const std::vector<PlacementRect> laptop{kLeftArea};
  ExpectRect(keeper.Place(Window(2500, 300), laptop), Window(1620, 300));
  ExpectRect(keeper.Refit(Window(1620, 300), kTwoMonitors), Window(2500, 300));
  ExpectRect(keeper.StoredRect(Window(2500, 300)), Window(2500, 300));
  // Undocked again: back onto the laptop's screen.
  ExpectRect(keeper.Refit(Window(2500, 300), laptop), Window(1620, 300));
}

TEST(ScreenKeeper, ShrunkWorkAreaMovesAWindowThatNoLongerShows) {
  ScreenKeeper keeper;
  keeper.Place(Window(1700, 800), kTwoMonitors);
  EXPECT_FALSE(keeper.Refit(Window(1700, 800), kTwoMonitors));
  const std::vector<PlacementRect> smaller{PlacementRect{0, 0, 1024, 768}};
  ExpectRect(keeper.Refit(Window(1700, 800), smaller), Window(724, 482));
  ExpectRect(keeper.StoredRect(Window(724, 482)), Window(1700, 800));
}

}  // namespace
}  // namespace tindrel
