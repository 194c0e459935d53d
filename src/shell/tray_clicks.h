#pragma once
// Which mouse messages over the notification-area icon make a click: a release raises the click
// of its button only after a press over the icon, and a double click runs the menu's default
// command without leaving a click behind for the release that follows it. A left click waits for
// the double-click time first: a double click that follows takes its place, so that one double
// click is one run of the default command and not a click and then the command.
//
// The shell also tells a selection of the icon: after a left release (a selection) and after a
// right release (a context menu), and from the keyboard alone (Enter or Space, the context-menu
// key or Shift+F10). The notices that follow a release are the mouse's, already handled as its
// click; the others open the menu.

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
  kSelect,       // a selection: after a left release, or Enter over the icon
  kKeySelect,    // a selection from the keyboard
  kContextMenu,  // a context menu: after a right release, or from the keyboard
};

// kAwaitDoubleClick: a left click was made; the icon waits the double-click time and then asks
// DoubleClickTimeOver for it.
// kKeyboardMenu: the menu was asked for from the keyboard.
enum class TrayAction {
  kNone,
  kLeftClick,
  kRightClick,
  kDoubleClick,
  kAwaitDoubleClick,
  kKeyboardMenu,
};

class TrayClickTracker {
 public:
  TrayAction Handle(TrayMouseEvent event);
  // The double-click time after a left click has run out: kLeftClick when no double click came.
  TrayAction DoubleClickTimeOver();

  bool left_pending() const { return left_.pending; }
  bool right_pending() const { return right_.pending; }

 private:
  // What the left and the right button have each done over the icon.
  struct Button {
    // A press over the icon whose release has not yet come back over the icon.
    bool pending = false;
    // A release whose notice (a selection for the left button, a context menu for the right one)
    // has not come yet. A shell that sends none leaves the flag to the next press.
    bool notice_follows = false;

    void Press() { pending = true; }
    // True when the release completes a click; its notice follows either way.
    bool Release();
  };

  Button left_;
  Button right_;
  // A left click made and not raised yet: it may still be the first half of a double click.
  bool left_click_waiting_ = false;
};

}  // namespace tindrel
