#include "settings/screen_fit.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tindrel {
namespace {

int Width(const PlacementRect& rect) {
  return rect.right - rect.left;
}
int Height(const PlacementRect& rect) {
  return rect.bottom - rect.top;
}

int Overlap(int start, int end, int area_start, int area_end) {
  return std::min(end, area_end) - std::max(start, area_start);
}

bool OverlapsByMargin(const PlacementRect& window, const PlacementRect& area, int margin) {
  const int across = Overlap(window.left, window.right, area.left, area.right);
  const int down = Overlap(window.top, window.bottom, area.top, area.bottom);
  return across >= std::min(margin, Width(window)) && down >= std::min(margin, Height(window)) &&
         across > 0 && down > 0;
}

// The gap between two intervals along one axis; 0 when they touch or overlap.
std::int64_t Gap(int start, int end, int area_start, int area_end) {
  return std::max<std::int64_t>(
      {0, std::int64_t{area_start} - end, std::int64_t{start} - area_end});
}

std::int64_t SquaredDistance(const PlacementRect& window, const PlacementRect& area) {
  const std::int64_t across = Gap(window.left, window.right, area.left, area.right);
  const std::int64_t down = Gap(window.top, window.bottom, area.top, area.bottom);
  return across * across + down * down;
}

// The start of a window of `length` moved inside [area_start, area_end); at area_start when it
// does not fit, so that its top-left corner, where the caption of a window usually is, shows.
int ClampStart(int start, int length, int area_start, int area_end) {
  return std::max(area_start, std::min(start, area_end - length));
}

PlacementRect MovedTo(const PlacementRect& rect, int left, int top) {
  return PlacementRect{left, top, left + Width(rect), top + Height(rect)};
}

bool SameRect(const PlacementRect& a, const PlacementRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

std::optional<PlacementRect> FitOnScreen(const PlacementRect& window,
                                         const std::vector<PlacementRect>& work_areas, int margin) {
  const PlacementRect* nearest = nullptr;
  std::int64_t nearest_distance = std::numeric_limits<std::int64_t>::max();
  for (const PlacementRect& area : work_areas) {
    if (Width(area) <= 0 || Height(area) <= 0) continue;
    if (OverlapsByMargin(window, area, margin)) return std::nullopt;
    const std::int64_t distance = SquaredDistance(window, area);
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
