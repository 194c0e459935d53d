#include "render/skin.h"

#include <new>
#include <utility>
#include <vector>

#include "base/error.h"
#include "base/file_system.h"
#include "base/stored_names.h"
#include "render/scaled_picture.h"

namespace tindrel {

WidgetSkin::WidgetSkin(std::string skins_folder, Report report)
    : skins_folder_(std::move(skins_folder)), report_(std::move(report)) {}

std::string WidgetSkin::SkinPath(const std::string& name) const {
  return skins_folder_ + name + ".png";
}

void WidgetSkin::LoadSkin(const std::string& name) {
  std::vector<std::string> problems;
  LoadQuietly(name, problems);
  // Reported only now: a report opens a modal box, and timers that draw frames keep running in it.
  for (const std::string& problem : problems) {
    if (report_) report_(problem);
  }
}

void WidgetSkin::SetDpi(int dpi) {
  if (dpi == dpi_) return;
  dpi_ = dpi;
  if (skin_bitmap_) LoadSkin(skin_name_);
}

void WidgetSkin::Release() {
  ++version_;
  skin_bitmap_.reset();
}

void WidgetSkin::LoadQuietly(const std::string& name, std::vector<std::string>& problems) {
  skin_name_ = name;
  Release();
  const std::string path = SkinPath(name);
  const bool is_default = name == defaults::kSkinName;
  if (!IsRegularFile(path)) {
    if (is_default) {
      problems.push_back("The default skin file \"" + path +
                         "\" is missing, so the widget is shown without a skin");
      return;
    }
    LoadQuietly(defaults::kSkinName, problems);
    return;
  }
  std::string failure;
  try {
    skin_bitmap_ = std::make_unique<FrameBitmap>(PictureForDpi(
        DecodePngFile(path), skins_folder_, name + ".png", kSkinFill, dpi_, problems));
    return;
  } catch (const Error& error) {
    failure = error.what();
  } catch (const std::bad_alloc&) {
    failure = "Cannot decode the PNG picture \"" + path + "\": Out of memory";
  }
  if (is_default) {
    problems.push_back("The default skin cannot be used, so the widget is shown without a skin. " +
                       failure);
    return;
  }
  problems.push_back(failure);
  LoadQuietly(defaults::kSkinName, problems);
}

}  // namespace tindrel
