#include "settings/tray_clicks.h"

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

TrayAction TrayClickTracker::Handle(TrayMouseEvent event) {
  if (IsPress(event)) select_follows_ = context_menu_follows_ = false;
  switch (event) {
    case TrayMouseEvent::kLeftDown:
      left_pending_ = true;
      return TrayAction::kNone;
    case TrayMouseEvent::kLeftUp:
      select_follows_ = true;
      if (!left_pending_) return TrayAction::kNone;
      left_pending_ = false;
      left_click_waiting_ = true;
      return TrayAction::kAwaitDoubleClick;
    case TrayMouseEvent::kLeftDoubleClick:
      left_click_waiting_ = false;
      return TrayAction::kDoubleClick;
    case TrayMouseEvent::kRightDown:
      right_pending_ = true;
      return TrayAction::kNone;
    case TrayMouseEvent::kRightUp:
      context_menu_follows_ = true;
      if (!right_pending_) return TrayAction::kNone;
      right_pending_ = false;
      return TrayAction::kRightClick;
    case TrayMouseEvent::kSelect:
      return KeyboardMenuUnlessFollowing(select_follows_);
    case TrayMouseEvent::kContextMenu:
      return KeyboardMenuUnlessFollowing(context_menu_follows_);
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
