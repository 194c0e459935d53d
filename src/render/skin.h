#pragma once
// The widget's current skin: its name and its premultiplied bitmap. The main window owns one of
// these; the frame composition blends the bitmap at the top of every frame. The decoded picture is
// let go once the bitmap is made: a new scale reads the file again.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "render/display_scale.h"
#include "render/frame_bitmap.h"
#include "render/png_decoder.h"

namespace tindrel {

// The grey under half-transparent skin edges.
constexpr Color kSkinFill = 0x808080;

class WidgetSkin {
 public:
  // Receives the text of a problem the widget steps around (the main window shows it in its error
  // report); the skin state has settled before it is called.
  using Report = std::function<void(const std::string&)>;

  // `skins_folder` ends in a path separator.
  WidgetSkin(std::string skins_folder, Report report);

  // Makes the skin `name` current. A missing file falls back to the default skin; a file that
  // cannot be decoded is reported and falls back too. When the default skin itself is missing or
  // cannot be decoded, the widget has no skin and that is reported. The bitmap is made for the
  // current DPI, from the picture made for that scale where the skin has one.
  void LoadSkin(const std::string& name);

  // The window's DPI: from now on the bitmap is made for it, and the current skin is made again
  // at once when it changes.
  void SetDpi(int dpi);
  int Dpi() const { return dpi_; }

  // Frees the current bitmap (the window's destruction); no skin afterwards.
  void Release();

  // The path of the skin file of that name.
  std::string SkinPath(const std::string& name) const;

  const std::string& SkinName() const { return skin_name_; }
  // nullptr when there is no skin; callers take that as 0 x 0.
  const FrameBitmap* SkinBitmap() const { return skin_bitmap_.get(); }
  int Width() const { return skin_bitmap_ ? skin_bitmap_->Width() : 0; }
  int Height() const { return skin_bitmap_ ? skin_bitmap_->Height() : 0; }
  // Changes at every load and release, so that a cached composition can tell a new skin from the
  // old one even when the new bitmap reuses the old one's memory.
  std::uint64_t Version() const { return version_; }

 private:
  // Loads `name` without reporting; problems are added to `problems`.
  void LoadQuietly(const std::string& name, std::vector<std::string>& problems);

  std::string skins_folder_;
  Report report_;
  std::string skin_name_;
  std::unique_ptr<FrameBitmap> skin_bitmap_;
  std::uint64_t version_ = 0;
  int dpi_ = kBaseDpi;
};

}  // namespace tindrel
