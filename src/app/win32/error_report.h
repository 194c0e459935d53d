#pragma once
// The application's error report: the one place where an error raised inside an event, timer or
// menu handler is shown to the user.
//
// A message box runs its own message loop, in which tray clicks, timers and close requests keep
// arriving. So no box opens while a handler is at work: a report is queued, the handler runs to its
// end, and the queued reports are shown from the owner window's message loop (a posted message),
// or, when there is no window to post to, at once. Reports of one source queued together share one
// box; a source that keeps failing (a timer that fails on every tick) never has more than one box
// open at a time: while its box is open, its further reports are dropped. A box never takes the
// keyboard focus from the program the user is typing in: it comes up where the system lets it.

#include <windows.h>

#include <deque>
#include <functional>
#include <set>
#include <string>

namespace tindrel::win {

enum class ReportSource {
  kRefreshTick,
  kFadeTick,
  kFrameUpdate,
  kMenuCommand,
  kTrayIcon,
  kWindowEvent,
  kStartUp,
  kSettings,
  kSound,
};

class ErrorReport {
 public:
  // Posted to the owner window to show what is queued; its window procedure calls ShowPending.
  static constexpr UINT kShowReportsMessage = WM_APP + 0x51;

  explicit ErrorReport(std::string caption) : caption_(std::move(caption)) {}

  // The window whose message loop shows the reports and that owns the boxes; null for none.
  void SetOwner(HWND owner) { owner_ = owner; }

  // Runs `handler`; an exception leaving it is reported for `source`. Returns false when the
  // handler failed.
  bool Guard(ReportSource source, const std::function<void()>& handler);

  // The stop-icon box with the caption and the text, a full stop appended by the usual rule.
  void ShowError(ReportSource source, const std::string& message);
  // The plain box with the system's text for an error code (failed window calls).
  void ShowSystemError(ReportSource source, DWORD code);

  // Shows the queued reports, one box per source. Runs from the owner's message loop, and once
  // more after the loop has ended for what the closing window could no longer show.
  void ShowPending();

  // For a loop that must not show boxes now (an open menu): the posted message was taken without
  // showing anything, and PostPending posts it again once the loop has gone.
  void PostponePending() { show_posted_ = false; }
  void PostPending();

  // From now on nothing is shown: what is queued and whatever comes later is dropped. For a close
  // that comes from outside (an installer, the end of the session), where a box would keep the
  // process alive after its window has gone while the one who asked for the close waits for the
  // process to end. Such reports are not kept for a later run either: what fails then is mostly
  // the registry, the only place they could be kept.
  void Silence();

  bool IsOpen(ReportSource source) const { return open_.count(source) != 0; }
  bool HasPending() const { return !pending_.empty(); }

 private:
  struct Pending {
    ReportSource source;
    std::string text;
    UINT style;
  };

  void Queue(ReportSource source, const std::string& text, UINT style);
  void ShowBox(const Pending& report);

  std::string caption_;
  HWND owner_ = nullptr;
  std::deque<Pending> pending_;
  bool show_posted_ = false;
  std::set<ReportSource> open_;
  bool silenced_ = false;
};

}  // namespace tindrel::win
