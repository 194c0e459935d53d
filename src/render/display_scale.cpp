#include "render/display_scale.h"

#include "render/text_painter.h"

namespace tindrel {

int ScaledLength(int length, int dpi) {
  if (dpi <= 0 || dpi == kBaseDpi) return length;
  return MulDivRounded(length, dpi, kBaseDpi);
}

}  // namespace tindrel
