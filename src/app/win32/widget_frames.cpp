#include "app/win32/widget_frames.h"

#include <exception>

#include "base/stored_names.h"
#include "base/win32/last_error.h"

namespace tindrel::win {
namespace {

// The digital face shipped in the ready folder's fonts/, drawn when the default face is missing.
constexpr char kBundledFontFile[] = "DSEG14Classic-Regular.ttf";
constexpr char kBundledFace[] = "DSEG14 Classic";

// The inputs that decide whether a frame can be composed at all; the caption text and the stars
// change from frame to frame without changing that.
std::string FrameCause(const FrameInputs& inputs, const std::string& skin_name) {
  return inputs.font.face + '\n' + std::to_string(inputs.font.height) + '\n' +
         std::to_string(inputs.font.style) + '\n' + std::to_string(inputs.display_shadow) +
         std::to_string(inputs.show_days) + '\n' + skin_name;
}

}  // namespace

WidgetFrames::WidgetFrames(ErrorReport& report, const std::string& fonts_folder)
    : report_(report), bundled_font_(fonts_folder + kBundledFontFile) {
  if (bundled_font_.Loaded()) painter_.SetFaceStandIn({defaults::kFontName, kBundledFace});
}

bool WidgetFrames::Draw(HWND window, const FrameInputs& inputs, const std::string& skin_name,
                        std::optional<POINT> position) {
  const FrameBitmap* frame = nullptr;
  try {
    frame = &composer_.Compose(painter_, inputs);
  } catch (const std::exception& error) {
    // The caller (a tick, a load, a menu command) goes on with the rest of its work.
    const std::string cause = FrameCause(inputs, skin_name);
    if (failed_frame_inputs_ != cause) {
      failed_frame_inputs_ = cause;
      report_.ShowError(ReportSource::kFrameUpdate, error.what());
    }
    return false;
  }
  failed_frame_inputs_.reset();

  RECT rect{};
  if (!GetWindowRect(window, &rect)) ThrowLastError("GetWindowRect");
  const DWORD error =
      presenter_.Present(window, *frame, position.value_or(POINT{rect.left, rect.top}));
  if (error && error != failed_present_code_)
    report_.ShowSystemError(ReportSource::kFrameUpdate, error);
  failed_present_code_ = error;
  return !error &&
         (rect.right - rect.left != frame->Width() || rect.bottom - rect.top != frame->Height());
}

void WidgetFrames::ForgetFonts() {
  painter_.ForgetFont();
  composer_.Invalidate();
}

}  // namespace tindrel::win
