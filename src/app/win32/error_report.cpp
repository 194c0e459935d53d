#include "app/win32/error_report.h"

#include <algorithm>
#include <exception>

#include "base/error.h"
#include "base/win32/last_error.h"
#include "base/win32/text_conversion.h"

namespace tindrel::win {

bool ErrorReport::Guard(ReportSource source, const std::function<void()>& handler) {
  try {
    handler();
    return true;
  } catch (const std::bad_alloc&) {
    ShowError(source, "Out of memory");
  } catch (const std::exception& error) {
    ShowError(source, error.what());
  }
  return false;
}

void ErrorReport::ShowError(ReportSource source, const std::string& message) {
  Queue(source, WithFullStop(message), MB_OK | MB_ICONSTOP);
}

void ErrorReport::ShowSystemError(ReportSource source, DWORD code) {
  // The plain box of a failed window call carries no icon and the application's title.
  Queue(source, SystemErrorText(code), MB_OK);
}

void ErrorReport::Queue(ReportSource source, const std::string& text, UINT style) {
  // A source whose box is on screen is already being told about; it does not pile up boxes.
  if (silenced_ || IsOpen(source)) return;
  const auto same_source = std::find_if(pending_.begin(), pending_.end(),
                                        [&](const Pending& p) { return p.source == source; });
  if (same_source == pending_.end()) {
    pending_.push_back(Pending{source, text, style});
  } else if (same_source->text != text && same_source->text.find(text) == std::string::npos) {
    same_source->text += "\n" + text;  // problems found in one piece of work share one box
  }
  PostPending();
  if (!show_posted_) ShowPending();  // no window whose state a box could interrupt
}

void ErrorReport::PostPending() {
  if (pending_.empty() || show_posted_ || !owner_ || !IsWindow(owner_)) return;
  show_posted_ = PostMessageW(owner_, kShowReportsMessage, 0, 0) != FALSE;
}

void ErrorReport::Silence() {
  silenced_ = true;
  pending_.clear();
}

void ErrorReport::ShowPending() {
  show_posted_ = false;
  // A box open when the report was silenced ends its loop with its owner; none follows it.
  while (!pending_.empty() && !silenced_) {
    const Pending report = pending_.front();
    pending_.pop_front();
    if (!IsOpen(report.source)) ShowBox(report);
  }
}

void ErrorReport::ShowBox(const Pending& report) {
  open_.insert(report.source);
  // Timers keep firing inside the box's modal loop; the open entry keeps them from stacking.
  MessageBoxW(owner_ && IsWindow(owner_) ? owner_ : nullptr, Widen(report.text).c_str(),
              Widen(caption_).c_str(), report.style);
  open_.erase(report.source);
}

}  // namespace tindrel::win
