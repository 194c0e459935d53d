#include "settings/tray_clicks.h"

namespace tindrel {

TrayAction TrayClickTracker::Handle(TrayMouseEvent event) {
  switch (event) {
    case TrayMouseEvent::kLeftDown:
      left_pending_ = true;
      return TrayAction::kNone;
    case TrayMouseEvent::kLeftUp:
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
      if (!right_pending_) return TrayAction::kNone;
      right_pending_ = false;
      return TrayAction::kRightClick;
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
