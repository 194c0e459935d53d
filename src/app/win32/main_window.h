#pragma once
// The main window: the frameless per-pixel-alpha widget. It owns every part of the program, runs
// its life cycle (created, shown, hidden, closed), its timers and its menu commands, and hands
// every event through one error-report boundary.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "app/widget_stars.h"
#include "app/win32/accessible_caption.h"
#include "app/win32/application.h"
#include "app/win32/due_date_tip.h"
#include "app/win32/error_report.h"
#include "app/win32/system_clock.h"
#include "app/win32/unseen_notifications.h"
#include "app/win32/widget_frames.h"
#include "app/win32/widget_menu.h"
#include "app/win32/widget_settings.h"
#include "app/win32/widget_sound.h"
#include "base/date_time.h"
#include "base/win32/raii.h"
#include "base/win32/routed_window.h"
#include "base/win32/win_registry.h"
#include "render/display_scale.h"
#include "render/skin.h"
#include "settings/screen_fit.h"
#include "shell/win32/shell_handover.h"
#include "shell/win32/tray_icon.h"

namespace tindrel::win {

// Seen by the outside world: a later start finds the running widget by this class name.
constexpr wchar_t kMainWindowClass[] = L"TfrmVelaCountdownClock";
constexpr char kApplicationTitle[] = "Tindrel";

class MainWindow final : private RoutedWindow {
 public:
  // Creates the window and its parts; it stays hidden until SetVisible(true).
  MainWindow(Application& application, ErrorReport& report);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  using RoutedWindow::Handle;
  // The window's visibility as the program sees it: it turns on before a showing's settings load,
  // whose redraw thus presents the first frame before the window appears, and off before hiding.
  bool Visible() const { return visible_; }
  // Showing loads the settings first and puts the window in front after; hiding saves them.
  void SetVisible(bool visible);
  // The menu whose marks are the widget's switches.
  WidgetMenu& Menu() { return menu_; }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  bool HandleTimer(WPARAM timer);
  void CreateWindowAndParts();
  TrayIcon::Handlers TrayHandlers();
  // Unbinds the window from this object and destroys it: after a failed construction no message
  // may reach an object that is going away.
  void DetachAndDestroyWindow();
  void Start();

  // The life cycle.
  void OnShown();
  // A later start of the program asked to see the widget: shown when hidden, brought to the front.
  void BringIntoView();
  // Who asked for the program to close: the user (Exit), or someone outside (an installer's or
  // another program's close message, the end of the session), who waits for the process to end.
  enum class CloseRequest { kByUser, kFromOutside };
  // The close of the program: saves as a granted close request does, then destroys the window. A
  // close from outside reports nothing: a box would keep the process alive.
  void CloseWidget(CloseRequest request);
  void OnDestroy();
  // The machine goes to sleep: a chime that plays is ended. It woke, or the clock was set: the
  // chime schedule starts from the clock as it is now and the caption is redrawn at once.
  void OnSuspend();
  void OnClockJump();
  // Frames run while the widget can be seen: shown, in an unlocked session, on a display that is
  // on. Otherwise the frame timer stops and only the chime's timer is set, for the next slot;
  // showing (or unlocking, or the display coming on) draws a frame at once and starts the timer.
  bool Seen() const { return visible_ && !session_locked_ && !display_off_; }
  void FollowSight();
  // Sets the chime's timer for the next slot while no frames run (none when no chime is due).
  void ArmChimeTimer();
  void OnChimeTimer();
  // The window moved to a monitor of another scale: everything is made for `dpi`, and the next
  // frame goes to the place the system suggests, sized at once in the same update.
  void OnDpiChanged(int dpi, const RECT& suggested);
  // Makes the skin and the frames follow `dpi`.
  void UseDpi(int dpi);
  // A choice is stored when it is made (a menu command, the end of a drag) and when the machine
  // goes to sleep: the next showing's load, a crash or a killed process cannot undo it. A save
  // that fails is reported once the work at hand is done.
  void StoreChoices();
  // Drags the widget with the mouse; a widget that ended somewhere else has its place stored.
  void DragWidget();

  // Menu commands. The click of a chosen entry: its check mark follows the menu's rules, then its
  // command runs.
  // Rebuilds the lists and shows the menu; the chosen entry, or null when the menu did not open or
  // nothing was chosen.
  MenuItem* ChooseFromMenu(HWND owner, POINT screen_point);
  void ClickMenuEntry(MenuItem& entry);
  void RunMenuCommand(MenuItem& entry);
  void ToggleVisible();
  void SelectSkin(const std::string& name);
  void SelectSound(const std::string& name);
  void ChooseDueDate(const MenuItem& entry);

  // Frames and ticks.
  void Redraw();
  // As Redraw, with the frame put at `position` rather than where the window stands.
  void RedrawAt(std::optional<POINT> position);
  FrameInputs CurrentFrameInputs();
  void OnRefreshTick();

  Application& application_;
  ErrorReport& report_;
  bool visible_ = false;
  bool session_locked_ = false;
  bool display_off_ = false;
  bool frames_running_ = false;
  // Set by the first close request: a close asked for while one is under way (from a message box
  // of its saves) is ignored, and no menu or tray command runs on a closing window.
  bool closing_ = false;
  // The registered message of a later start (0 when none could be registered).
  UINT show_widget_message_ = 0;

  // The widget's own state.
  SystemClock clock_;
  // The window's DPI, which everything drawn is made for.
  int dpi_ = kBaseDpi;
  DateTime target_ = 0;
  // The caption's font in the 96-DPI layout: its height is scaled with the rest of each frame.
  FontSpec font_;
  WidgetSkin skin_;
  WidgetStars stars_;
  ScreenKeeper screen_keeper_;
  WinRegistry registry_;
  ShellExecuteHandover shell_;

  // Its parts.
  WidgetMenu menu_;
  WidgetFrames frames_;
  ScopedIcon icon_;
  // The notification area's size of the same icon; the tray icon, declared after it, shows it.
  ScopedIcon tray_icon_image_;
  std::unique_ptr<DueDateTipWindow> due_date_tip_;
  std::unique_ptr<WidgetSound> sound_;
  std::unique_ptr<WidgetSettings> settings_;
  std::unique_ptr<TrayIcon> tray_icon_;
  std::unique_ptr<UnseenNotifications> unseen_notifications_;
  std::unique_ptr<AccessibleCaption> accessible_caption_;
};

}  // namespace tindrel::win
