#include "shell/tray_clicks.h"

#include <utility>

namespace tindrel {

namespace {

bool IsPress(TrayMouseEvent event) {
  return event == TrayMouseEvent::kLeftDown || event == TrayMouseEvent::kLeftDoubleClick ||
         event == TrayMouseEvent::kRightDown || event == TrayMouseEvent::kRightDoubleClick ||
         event == TrayMouseEvent::kMiddleDown || event == TrayMouseEvent::kMiddleDoubleClick;
}

// The notice that follows a release is the mouse's own; any other comes from the keyboard.
TrayAction KeyboardMenuUnlessFollowing(bool& follows) {
  if (follows) {
    follows = false;
    return TrayAction::kNone;
  }
  return TrayAction::kKeyboardMenu;
}

}  // namespace

bool TrayClickTracker::Button::Release() {
  notice_follows = true;
  return std::exchange(pending, false);
}

TrayAction TrayClickTracker::Handle(TrayMouseEvent event) {
  if (IsPress(event)) left_.notice_follows = right_.notice_follows = false;
  switch (event) {
    case TrayMouseEvent::kLeftDown:
      left_.Press();
      return TrayAction::kNone;
    case TrayMouseEvent::kLeftUp:
      if (!left_.Release()) return TrayAction::kNone;
      left_click_waiting_ = true;
      return TrayAction::kAwaitDoubleClick;
    case TrayMouseEvent::kLeftDoubleClick:
      left_click_waiting_ = false;
      return TrayAction::kDoubleClick;
    case TrayMouseEvent::kRightDown:
      right_.Press();
      return TrayAction::kNone;
    case TrayMouseEvent::kRightUp:
      return right_.Release() ? TrayAction::kRightClick : TrayAction::kNone;
    case TrayMouseEvent::kSelect:
      return KeyboardMenuUnlessFollowing(left_.notice_follows);
    case TrayMouseEvent::kContextMenu:
      return KeyboardMenuUnlessFollowing(right_.notice_follows);
    case TrayMouseEvent::kKeySelect:
      return TrayAction::kKeyboardMenu;
    case TrayMouseEvent::kMove:
    case TrayMouseEvent::kRightDoubleClick:
    case TrayMouseEvent::kMiddleDown:
    case TrayMouseEvent::kMiddleUp:
    case TrayMouseEvent::kMiddleDoubleClick:
      return TrayAction::kNone;
  }
  return TrayAction::kNone;
}

TrayAction TrayClickTracker::DoubleClickTimeOver() {
  if (!left_click_waiting_) return TrayAction::kNone;
  left_click_waiting_ = false;
  return TrayAction::kLeftClick;
}

}  // namespace tindrel
