#include "settings/screen_fit.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tindrel {
namespace {

// Stored places lie anywhere in the 32-bit range, and monitors left of or above the primary one
// have negative coordinates: differences are taken in 64 bits.
std::int64_t Width(const PlacementRect& rect) {
  return std::int64_t{rect.right} - rect.left;
}
std::int64_t Height(const PlacementRect& rect) {
  return std::int64_t{rect.bottom} - rect.top;
}

std::int64_t Overlap(int start, int end, int area_start, int area_end) {
  return std::int64_t{std::min(end, area_end)} - std::max(start, area_start);
}

bool OverlapsByMargin(const PlacementRect& window, const PlacementRect& area, int margin) {
  const std::int64_t across = Overlap(window.left, window.right, area.left, area.right);
  const std::int64_t down = Overlap(window.top, window.bottom, area.top, area.bottom);
  return across >= std::min<std::int64_t>(margin, Width(window)) &&
         down >= std::min<std::int64_t>(margin, Height(window)) && across > 0 && down > 0;
}

// The gap between two intervals along one axis; 0 when they touch or overlap.
std::int64_t Gap(int start, int end, int area_start, int area_end) {
  return std::max<std::int64_t>(
      {0, std::int64_t{area_start} - end, std::int64_t{start} - area_end});
}

// In floating point: gaps reach 2^32, and the sum of two squares of that would not fit in 64 bits.
double SquaredDistance(const PlacementRect& window, const PlacementRect& area) {
  const auto across = static_cast<double>(Gap(window.left, window.right, area.left, area.right));
  const auto down = static_cast<double>(Gap(window.top, window.bottom, area.top, area.bottom));
  return across * across + down * down;
}

// The start of a window of `length` moved inside [area_start, area_end); at area_start when it
// does not fit, so that its top-left corner, where the caption of a window usually is, shows.
int ClampStart(int start, std::int64_t length, int area_start, int area_end) {
  return static_cast<int>(
      std::max<std::int64_t>(area_start, std::min<std::int64_t>(start, area_end - length)));
}

// The far edge of a window of `length` starting at `start`, kept inside the 32-bit range.
int FarEdge(int start, std::int64_t length) {
  return static_cast<int>(
      std::min<std::int64_t>(std::int64_t{start} + length, std::numeric_limits<int>::max()));
}

PlacementRect MovedTo(const PlacementRect& rect, int left, int top) {
  return PlacementRect{left, top, FarEdge(left, Width(rect)), FarEdge(top, Height(rect))};
}

bool SameRect(const PlacementRect& a, const PlacementRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

std::optional<PlacementRect> FitOnScreen(const PlacementRect& window,
                                         const std::vector<PlacementRect>& work_areas, int margin) {
  const PlacementRect* nearest = nullptr;
  double nearest_distance = std::numeric_limits<double>::infinity();
  for (const PlacementRect& area : work_areas) {
    if (Width(area) <= 0 || Height(area) <= 0) continue;
    if (OverlapsByMargin(window, area, margin)) return std::nullopt;
    const double distance = SquaredDistance(window, area);
    if (distance < nearest_distance) {
      nearest = &area;
      nearest_distance = distance;
    }
  }
  if (!nearest) return std::nullopt;
  return MovedTo(window, ClampStart(window.left, Width(window), nearest->left, nearest->right),
                 ClampStart(window.top, Height(window), nearest->top, nearest->bottom));
}

PlacementRect ScreenKeeper::Place(const PlacementRect& wanted,
                                  const std::vector<PlacementRect>& work_areas) {
  const std::optional<PlacementRect> fitted = FitOnScreen(wanted, work_areas);
  if (!fitted) {
    wanted_.reset();
    return wanted;
  }
  wanted_ = wanted;
  fitted_ = *fitted;
  return *fitted;
}

std::optional<PlacementRect> ScreenKeeper::Refit(const PlacementRect& current,
                                                 const std::vector<PlacementRect>& work_areas) {
  const PlacementRect target = Place(StoredRect(current), work_areas);
  if (SameRect(target, current)) return std::nullopt;
  return target;
}

PlacementRect ScreenKeeper::StoredRect(const PlacementRect& current) const {
  if (!wanted_ || current.left != fitted_.left || current.top != fitted_.top) return current;
  return MovedTo(current, wanted_->left, wanted_->top);
}

}  // namespace tindrel
