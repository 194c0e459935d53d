#pragma once
// The application's error report: the one place where an error raised inside an event, timer or
// menu handler is shown to the user. A source that keeps failing (a timer that fails on every
// tick) never has more than one box open at a time: while its box is open, its further reports
// are dropped.

#include <windows.h>

#include <functional>
#include <set>
#include <string>

namespace tindrel::win {

enum class ReportSource {
  kRefreshTick,
  kStarTick,
  kFadeTick,
  kFrameUpdate,
  kMenuCommand,
  kTrayIcon,
  kWindowEvent,
  kStartUp,
  kSettings,
};

class ErrorReport {
 public:
  explicit ErrorReport(std::string caption) : caption_(std::move(caption)) {}

  void SetOwner(HWND owner) { owner_ = owner; }

  // Runs `handler`; an exception leaving it is shown once for `source`. Returns false when the
  // handler failed.
  bool Guard(ReportSource source, const std::function<void()>& handler);

  // The stop-icon box with the caption and the text, a full stop appended by the usual rule.
  void ShowError(ReportSource source, const std::string& message);
  // The plain box with the system's text for an error code (failed window calls).
  void ShowSystemError(ReportSource source, DWORD code);

  bool IsOpen(ReportSource source) const { return open_.count(source) != 0; }

 private:
  void ShowBox(ReportSource source, const std::string& text, const std::string& caption,
               UINT style);

  std::string caption_;
  HWND owner_ = nullptr;
  std::set<ReportSource> open_;
};

}  // namespace tindrel::win
