#pragma once
// The widget as assistive technology sees it: the window's client object is the system's standard
// one, except that its name is the countdown caption and its description "Countdown". The window's
// own object keeps the title "Tindrel". Screen readers hear of a new caption at most once a minute
// and when the due date changes. The libraries this takes are loaded at the first request, which
// only a running screen reader (or another such tool) makes.

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/caption_announcer.h"
#include "base/date_time.h"

namespace tindrel::win {

class AccessibilityLibraries;

class AccessibleCaption {
 public:
  // `caption_now` is the caption as a frame drawn now would show it: the name while the window is
  // hidden or before its first frame.
  AccessibleCaption(HWND window, std::function<std::string()> caption_now);
  ~AccessibleCaption();
  AccessibleCaption(const AccessibleCaption&) = delete;
  AccessibleCaption& operator=(const AccessibleCaption&) = delete;

  // The answer to WM_GETOBJECT: the client object for OBJID_CLIENT, nothing for any other object
  // or when the libraries cannot be had (the default handling then gives the standard object).
  std::optional<LRESULT> Answer(WPARAM wparam, LPARAM lparam);

  // A frame shows `caption`, counting down to `target`: the name from now on, told when due.
  void CaptionShown(const std::string& caption, DateTime target);

  // The name: the caption of the last frame while the window is visible, otherwise `caption_now`.
  std::string Name() const;

 private:
  HWND window_;
  std::function<std::string()> caption_now_;
  std::optional<std::string> shown_caption_;
  CaptionAnnouncer announcer_;
  // What the objects handed out ask for the name; they hold it weakly, so that an object a tool
  // keeps after the window has gone answers as the standard object does.
  std::shared_ptr<const std::function<std::wstring()>> name_source_;
  // Loaded at the first request; every object handed out holds them too.
  std::shared_ptr<const AccessibilityLibraries> libraries_;
  bool com_initialized_ = false;
};

}  // namespace tindrel::win
