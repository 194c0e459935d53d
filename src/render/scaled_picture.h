#pragma once
// Pictures made for display scales. Beside a 1x picture, the same art drawn larger sits in a
// folder named after its scale: "1.5x" for 150 % (144 DPI) and "2x" for 200 % (192 DPI), so
// skins\2x\glass.png is the 200 % picture of skins\glass.png and 2x\star.png that of star.png.
// The 1x picture alone names a skin; the larger ones are optional.

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "render/frame_bitmap.h"
#include "render/png_decoder.h"

namespace tindrel {

struct ScaleFolder {
  int dpi;
  const char* folder;
};

// The larger pictures a 1x picture can have, smallest first.
inline constexpr std::array<ScaleFolder, 2> kScaleFolders{{{144, "1.5x"}, {192, "2x"}}};

// The DPI of the picture to draw from at `dpi`: the 1x picture (96) and each larger one that
// `exists` reports are candidates; the one made for `dpi` if there is one, else the next larger,
// else the largest.
int ChoosePictureDpi(int dpi, const std::function<bool(int picture_dpi)>& exists);

// The path of the picture made for `picture_dpi` of the 1x picture `folder` + `file_name`
// (`folder` ends in a path separator; 96 gives the 1x picture itself).
std::string ScaledPicturePath(const std::string& folder, const std::string& file_name,
                              int picture_dpi);

// The 1x picture `base` (decoded from `folder` + `file_name`), converted with `fill` as
// PngToAlphaBitmap converts it, at the size `dpi` asks for: its own size scaled, each side
// rounded. Drawn from the picture made for that scale as it is, else from the next larger one
// shrunk with an area filter, else from the largest enlarged smoothly. A larger picture that
// cannot be decoded is left out, and its problem added to `problems`.
FrameBitmap PictureForDpi(const DecodedPng& base, const std::string& folder,
                          const std::string& file_name, Color fill, int dpi,
                          std::vector<std::string>& problems);

}  // namespace tindrel
