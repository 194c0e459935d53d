#pragma once
// Keeping the widget reachable: a window that does not overlap any monitor's work area by a
// margin (a monitor removed, a resolution shrunk, a remote session) is put fully inside the
// nearest one. The place the user chose is remembered while the window only stands in for it, so
// that it is what the settings keep until the user moves the window, and the window goes back
// there when that place is on a screen again.

#include <optional>
#include <vector>

#include "settings/settings_store.h"

namespace tindrel {

// How much of the window, in each direction, must lie on one work area for it to stay put (or all
// of it, for a window smaller than that).
inline constexpr int kOnScreenMargin = 32;

// Where `window` has to go: empty when it overlaps a work area by the margin, or when there is no
// work area to go to; otherwise the window's rectangle moved fully inside the nearest work area
// (its top-left corner inside, for a window larger than the area).
std::optional<PlacementRect> FitOnScreen(const PlacementRect& window,
                                         const std::vector<PlacementRect>& work_areas,
                                         int margin = kOnScreenMargin);

class ScreenKeeper {
 public:
  // The rectangle a window asked to be at (`wanted`) is shown at: `wanted` itself when it is on
  // screen, else its fit, and the wanted place is remembered.
  PlacementRect Place(const PlacementRect& wanted, const std::vector<PlacementRect>& work_areas);

  // After the monitors or their work areas changed: where the window now at `current` has to go,
  // or empty when it stays. A window still standing in for a wanted place goes back to that place
  // once it is on screen again.
  std::optional<PlacementRect> Refit(const PlacementRect& current,
                                     const std::vector<PlacementRect>& work_areas);

  // What the settings keep for the window now at `current`: the wanted place while the window
  // still stands where it was put in its stead (at the window's current size), otherwise
  // `current`, since then the user has moved it.
  PlacementRect StoredRect(const PlacementRect& current) const;

 private:
  std::optional<PlacementRect> wanted_;
  PlacementRect fitted_;
};

}  // namespace tindrel
