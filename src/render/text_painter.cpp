#include "render/text_painter.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

#include "base/ascii_case.h"

namespace tindrel {

int MulDivRounded(int a, int b, int c) {
  if (c == 0) return -1;
  const std::int64_t product = static_cast<std::int64_t>(a) * b;
  const std::int64_t magnitude = (std::llabs(product) + std::llabs(c) / 2) / std::llabs(c);
  const std::int64_t result = (product < 0) != (c < 0) ? -magnitude : magnitude;
  if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min()) {
    return -1;
  }
  return static_cast<int>(result);
}

int FontHeightFromPoints(int points, int pixels_per_inch) {
  return -MulDivRounded(points, pixels_per_inch, 72);
}

int FontPointsFromHeight(int height, int pixels_per_inch) {
  return -MulDivRounded(height, 72, pixels_per_inch);
}

std::string FaceToDraw(const std::string& chosen, const std::optional<FaceStandIn>& stand_in,
                       const std::function<bool(const std::string&)>& installed) {
  if (!stand_in || !EqualsIgnoringAsciiCase(chosen, stand_in->missing_face)) return chosen;
  return installed(chosen) ? chosen : stand_in->stand_in;
}

}  // namespace tindrel
