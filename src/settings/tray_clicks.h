#pragma once
// Which mouse messages over the notification-area icon make a click: a release raises the click
// of its button only after a press over the icon, and a double click runs the menu's default
// command without leaving a click behind for the release that follows it.

namespace tindrel {

enum class TrayButton { kLeft, kRight, kMiddle };

enum class TrayMouseEvent {
  kMove,
  kLeftDown,
  kLeftUp,
  kLeftDoubleClick,
  kRightDown,
  kRightUp,
  kRightDoubleClick,
  kMiddleDown,
  kMiddleUp,
  kMiddleDoubleClick,
};

enum class TrayAction { kNone, kLeftClick, kRightClick, kDoubleClick };

class TrayClickTracker {
 public:
  TrayAction Handle(TrayMouseEvent event);

  bool left_pending() const { return left_pending_; }
  bool right_pending() const { return right_pending_; }

 private:
  // A press over the icon whose release has not yet come back over the icon.
  bool left_pending_ = false;
  bool right_pending_ = false;
};

}  // namespace tindrel
