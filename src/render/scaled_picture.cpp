#include "render/scaled_picture.h"

#include <new>

#include "base/error.h"
#include "base/file_system.h"
#include "render/alpha_bitmap.h"
#include "render/display_scale.h"
#include "render/resample.h"

namespace tindrel {
namespace {

const char* FolderOf(int picture_dpi) {
  for (const ScaleFolder& scale : kScaleFolders) {
    if (scale.dpi == picture_dpi) return scale.folder;
  }
  return nullptr;
}

// `picture` at exactly `width` x `height`: unchanged when it has that size already.
FrameBitmap Fitted(FrameBitmap picture, int width, int height) {
  if (picture.Width() == width && picture.Height() == height) return picture;
  return ResampleBitmap(picture, width, height);
}

}  // namespace

int ChoosePictureDpi(int dpi, const std::function<bool(int picture_dpi)>& exists) {
  int largest = kBaseDpi;
  if (dpi <= kBaseDpi) return kBaseDpi;
  for (const ScaleFolder& scale : kScaleFolders) {
    if (!exists(scale.dpi)) continue;
    if (scale.dpi >= dpi) return scale.dpi;
    largest = scale.dpi;
  }
  return largest;
}

std::string ScaledPicturePath(const std::string& folder, const std::string& file_name,
                              int picture_dpi) {
  const char* scale_folder = FolderOf(picture_dpi);
  if (!scale_folder) return folder + file_name;
  return folder + scale_folder + PathSeparator() + file_name;
}

FrameBitmap PictureForDpi(const DecodedPng& base, const std::string& folder,
                          const std::string& file_name, Color fill, int dpi,
                          std::vector<std::string>& problems) {
  const int width = ScaledLength(base.width, dpi);
  const int height = ScaledLength(base.height, dpi);
  const int picture_dpi = ChoosePictureDpi(dpi, [&](int candidate) {
    return IsRegularFile(ScaledPicturePath(folder, file_name, candidate));
  });
  if (picture_dpi != kBaseDpi) {
    const std::string path = ScaledPicturePath(folder, file_name, picture_dpi);
    try {
      return Fitted(PngToAlphaBitmap(DecodePngFile(path), fill), width, height);
    } catch (const Error& error) {
      problems.push_back(error.what());
    } catch (const std::bad_alloc&) {
      problems.push_back("Cannot decode the PNG picture \"" + path + "\": Out of memory");
    }
  }
  return Fitted(PngToAlphaBitmap(base, fill), width, height);
}

}  // namespace tindrel
