#pragma once
// The main window: the frameless per-pixel-alpha widget. It owns every part of the program, runs
// its life cycle (created, shown, hidden, closed), its timers and its menu commands, and hands
// every event through one error-report boundary.

#include <windows.h>

#include <memory>
#include <string>

#include "app/widget_stars.h"
#include "app/win32/accessible_caption.h"
#include "app/win32/application.h"
#include "app/win32/due_date_tip.h"
#include "app/win32/error_report.h"
#include "app/win32/system_clock.h"
#include "app/win32/widget_frames.h"
#include "app/win32/widget_menu.h"
#include "app/win32/widget_settings.h"
#include "app/win32/widget_sound.h"
#include "base/date_time.h"
#include "base/win32/raii.h"
#include "base/win32/routed_window.h"
#include "render/skin.h"
#include "settings/screen_fit.h"
#include "settings/win32/shell_handover.h"
#include "settings/win32/tray_icon.h"
#include "settings/win32/win_registry.h"

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
  // The close of the program: saves as a granted close request does, then destroys the window.
  void CloseWidget();
  void OnDestroy();
  // The machine goes to sleep: a chime that plays is ended. It woke, or the clock was set: the
  // chime schedule starts from the clock as it is now and the caption is redrawn at once.
  void OnSuspend();
  void OnClockJump();

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
  FrameInputs CurrentFrameInputs();
  void OnRefreshTick();

  Application& application_;
  ErrorReport& report_;
  bool visible_ = false;
  // Set by the first close request: a close asked for while one is under way (from a message box
  // of its saves) is ignored, and no menu or tray command runs on a closing window.
  bool closing_ = false;
  // The registered message of a later start (0 when none could be registered).
  UINT show_widget_message_ = 0;

  // The widget's own state.
  SystemClock clock_;
  DateTime target_ = 0;
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
  std::unique_ptr<DueDateTipWindow> due_date_tip_;
  std::unique_ptr<WidgetSound> sound_;
  std::unique_ptr<WidgetSettings> settings_;
  std::unique_ptr<TrayIcon> tray_icon_;
  std::unique_ptr<AccessibleCaption> accessible_caption_;
};

}  // namespace tindrel::win
