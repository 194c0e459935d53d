#pragma once
// The main window frmVelaCountdownClock: the frameless per-pixel-alpha widget. It owns every
// component and long-lived object of the program and dispatches every event, timer and menu
// handler through one error-report boundary.

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/menu_model.h"
#include "app/win32/application.h"
#include "app/win32/due_date_tip.h"
#include "app/win32/error_report.h"
#include "app/win32/popup_menu.h"
#include "app/win32/system_clock.h"
#include "base/date_time.h"
#include "base/win32/raii.h"
#include "base/win32/routed_window.h"
#include "render/composition.h"
#include "render/frame_bitmap.h"
#include "render/skin.h"
#include "render/stars.h"
#include "render/text_painter.h"
#include "render/win32/gdi_text_painter.h"
#include "render/win32/layered_window.h"
#include "render/win32/private_font.h"
#include "settings/custom_settings.h"
#include "settings/screen_fit.h"
#include "settings/settings_store.h"
#include "settings/win32/shell_handover.h"
#include "settings/win32/tray_icon.h"
#include "settings/win32/win_registry.h"
#include "sound/chime_schedule.h"
#include "sound/sound_player.h"
#include "sound/win32/media_player.h"
#include "sound/win32/window_fade_timer.h"

namespace tindrel::win {

constexpr wchar_t kMainWindowClass[] = L"TfrmVelaCountdownClock";
constexpr char kApplicationTitle[] = "Tindrel";

class TfrmVelaCountdownClock final : public SettingsWindow,
                                     public SettingsChoices,
                                     private RoutedWindow {
 public:
  // Builds the window from its definition and runs FormCreate.
  TfrmVelaCountdownClock(Application& application, ErrorReport& report);
  ~TfrmVelaCountdownClock() override;
  TfrmVelaCountdownClock(const TfrmVelaCountdownClock&) = delete;
  TfrmVelaCountdownClock& operator=(const TfrmVelaCountdownClock&) = delete;

  using RoutedWindow::Handle;
  // The window's visibility as the program sees it: it turns on before a showing's settings load,
  // whose redraw thus presents the first frame before the window appears, and off before hiding.
  bool Visible() const { return visible_; }
  // Showing runs the settings load first and FormShow after; hiding runs FormHide.
  void SetVisible(bool visible);

  // SettingsWindow: what the settings store reads from and applies to the window.
  WindowPlacementData GetPlacement() override;
  void SetPlacement(const WindowPlacementData& placement) override;
  void SetWindowState(WindowState state) override;
  bool IsWindowVisible() override { return ::IsWindowVisible(Handle()) != FALSE; }
  bool IsApplicationMinimized() override { return application_.IsMinimised(); }
  int ScreenWidth() override { return GetSystemMetrics(SM_CXSCREEN); }
  int ScreenHeight() override { return GetSystemMetrics(SM_CYSCREEN); }
  int PixelsPerInch() override { return pixels_per_inch_; }
  WindowBounds CurrentBounds() override;
  bool IsChecked(const std::string& item) override;
  void SetChecked(const std::string& item, bool checked) override;
  void ReportError(const std::string& message) override;

  // SettingsChoices: the stored choices of the window itself.
  std::string FoundPlace() override { return FFoundPlace; }
  void SetFoundPlace(const std::string& text) override { FFoundPlace = text; }
  std::int32_t SelectedWeather() override { return FSelectedWeather; }
  void SetSelectedWeather(std::int32_t value) override { FSelectedWeather = value; }
  std::string SkinName() override { return skin_.SkinName(); }
  void LoadSkin(const std::string& name) override;
  std::string SoundName() override { return player_->FSoundName; }
  void SetSoundName(const std::string& name) override { player_->FSoundName = name; }
  void OnDrawWidget() override;
  void chbStartupClick() override;
  std::string FontName() override { return font_.face; }
  std::int32_t FontSize() override;
  std::int32_t FontColor() override { return static_cast<std::int32_t>(font_.colour); }
  std::int32_t FontStyle() override { return font_.style; }
  void SetFontName(const std::string& name) override { font_.face = name; }
  void SetFontSize(std::int32_t points) override;
  void SetFontColor(std::int32_t color) override { font_.colour = static_cast<Colour>(color); }
  void SetFontStyle(std::int32_t style_bits) override { font_.style = style_bits & 15; }
  void DueDateClick(const std::string& item) override;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void Dispatch(ReportSource source, const std::function<void()>& handler);
  void CreateWindowFromDefinition();
  // Unbinds the window from this object and destroys it: after a failed construction no message
  // may reach an object that is going away.
  void DetachAndDestroyWindow();
  // The close of the program: saves as a granted close request does, then destroys the window.
  void CloseWidget();

  // Window events.
  void FormCreate();
  void FormShow();
  void FormActivate();
  void FormMouseMove();
  void FormHide();
  void FormClose();
  void FormDestroy();
  // A later start of the program asked to see the widget: shown when hidden, brought to the front.
  void BringIntoView();

  // Commands of the popup menu and the tray icon.
  // Rebuilds the lists and shows the menu; returns the chosen entry, or null when the menu did not
  // open or nothing was chosen.
  MenuItem* ChooseFromPopupMenu1(HWND owner, POINT screen_point);
  // The click of a chosen entry: its check mark follows the menu's rules, then its command runs.
  void ClickMenuEntry(MenuItem& entry);
  void RunMenuCommand(MenuItem& entry);
  void OnTop1Click();
  void ShowHide1Click();
  void RxTrayIcon1Click();
  void Exit1Click();
  void DisplayShadow1Click();
  void inmSkinsClick(const MenuItem& entry);
  void inmSoundsClick(const MenuItem& entry);
  void EditCurrentSkin1Click();
  void DueDateClick(MenuItem& entry);
  // Rebuilds the skin and sound lists; returns the problems found on the way (files with names
  // that cannot be menu entries, a folder that cannot be listed).
  std::vector<std::string> PopupMenu1Popup();
  // Reports the problems of a menu opening in one box, only when they differ from the last ones.
  void ReportListProblems(const std::vector<std::string>& problems);

  // Creation steps.
  void MakeLayered();
  void LoadStarSprite();
  void ReownToDesktop();
  // Moves the window onto a monitor when it does not show on any (monitors or work areas changed,
  // or a stored place off every screen), and back to its stored place once that shows again.
  void KeepOnScreen();

  // The machine goes to sleep: a chime that plays is ended. It woke, or the clock was set: the
  // chime schedule starts from the clock as it is now and the caption is redrawn at once.
  void OnSuspend();
  void OnClockJump();

  // Frames. A frame that cannot be composed or presented is reported once for the same inputs (or
  // the same system error); the last good frame stays on screen.
  FrameInputs CurrentFrameInputs();
  void PresentFrame(const FrameBitmap& frame);

  // Timers.
  void tmrRefreshTimer();
  void tStartsTimer();
  void tFadeTimer();

  bool Checked(const char* item_name) const;

  Application& application_;
  ErrorReport& report_;
  bool visible_ = false;
  // Set by the first close request: a close asked for while one is under way (from a message box
  // of its saves) is ignored, and no menu or tray command runs on a closing window.
  bool closing_ = false;
  // True while PopupMenu1 is open: the menu's modal loop still delivers the tray icon's messages,
  // and a second opening would rebuild the lists under the open menu.
  bool menu_open_ = false;
  int pixels_per_inch_ = 96;
  // The registered message of a later start (0 when none could be registered).
  UINT show_widget_message_ = 0;
  // What was last reported of the frames and the menu lists, so that a repeating problem shows
  // one box, not one after every dismissal.
  std::optional<std::string> failed_frame_inputs_;
  DWORD failed_present_code_ = 0;
  std::vector<std::string> reported_list_problems_;

  // Fields of the window, in the order of its definition.
  FrameBitmap FStarSprite;
  std::string FCaptionText;
  std::string FFoundPlace;
  std::int32_t FSelectedWeather = 0;
  DateTime FTarget = 0;
  WidgetSkin skin_;
  StarField stars_;
  std::string DueDateTipText;

  // Components.
  std::unique_ptr<MenuItem> PopupMenu1;
  std::unique_ptr<DueDateTipWindow> due_date_tip_;
  std::unique_ptr<TMediaPlayer> MediaPlayer1;
  std::unique_ptr<WindowFadeTimer> tFade;
  std::unique_ptr<SoundPlayer> player_;
  std::unique_ptr<ChimeSchedule> chimes_;
  std::unique_ptr<TrayIcon> RxTrayIcon1;
  WinRegistry registry_;
  ShellExecuteHandover shell_;
  std::unique_ptr<FormStorage> FormStorage1;

  FontSpec font_;
  SystemClock clock_;
  ScreenKeeper screen_keeper_;
  // Before the painter, whose fonts may be made from it.
  PrivateFontFile bundled_font_;
  GdiTextPainter painter_;
  FrameComposer composer_;
  LayeredFramePresenter presenter_;
  // Seeded at creation from the time; until then (or when the sprite failed to load) the
  // generator's fixed default seed.
  MersenneRandom random_{std::mt19937::default_seed};
  ScopedIcon icon_;
};

}  // namespace tindrel::win
