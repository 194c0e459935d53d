#include "app/win32/main_window.h"

#include <algorithm>
#include <cstdint>
#include <exception>

#include "app/countdown.h"
#include "app/win32/resource.h"
#include "app/win32/single_instance.h"
#include "app/win32/window_actions.h"
#include "app/win32/window_dpi.h"
#include "base/file_system.h"
#include "base/stored_names.h"
#include "base/win32/last_error.h"
#include "base/win32/text_conversion.h"
#include "render/gblur3.h"
#include "settings/win32/window_placement.h"

namespace tindrel::win {
namespace {

constexpr UINT_PTR kRefreshTimer = 1;
// Set for the next chime's slot while no frames are drawn, so that then nothing else wakes the
// program.
constexpr UINT_PTR kChimeTimer = 2;
constexpr UINT_PTR kFadeTimer = 3;
constexpr UINT kRefreshInterval = 220;

// The window's place and size before its first frame and its settings.
constexpr int kDesignLeft = 366;
constexpr int kDesignTop = 216;
constexpr int kDesignWidth = 396;
constexpr int kDesignHeight = 353;
constexpr int kMinimumSide = 32;

std::string ProgramFolder(const char* name) {
  return ExecutableFolder() + name + PathSeparator();
}

}  // namespace

MainWindow::MainWindow(Application& application, ErrorReport& report)
    : application_(application),
      report_(report),
      skin_(ProgramFolder("skins"),
            [this](const std::string& problem) {
              report_.ShowError(ReportSource::kWindowEvent, problem);
            }),
      menu_(report, ExecutableFolder()),
      frames_(report, ProgramFolder("fonts")) {
  try {
    CreateWindowAndParts();
    report_.SetOwner(Handle());
    Start();
  } catch (...) {
    // The destructor does not run for a constructor that throws; the start-up report that follows
    // pumps messages, which must not reach the members going away now.
    DetachAndDestroyWindow();
    throw;
  }
}

// Destroyed here, while every member still stands: its destruction handlers save the settings.
MainWindow::~MainWindow() {
  if (Handle()) DestroyWindow(Handle());
}

void MainWindow::DetachAndDestroyWindow() {
  report_.SetOwner(nullptr);
  DestroyUnbound();
}

void MainWindow::CreateWindowAndParts() {
  const HINSTANCE instance = application_.Instance();
  // Tolerated when missing: the window works without an icon, and the tray leaves its icon out.
  icon_.reset(static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_TINDREL), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
  tray_icon_image_ = LoadNotificationIcon(instance, IDI_TINDREL);

  // Borderless; kept out of the taskbar and the task switcher whoever owns it.
  const std::wstring title = Widen(kApplicationTitle);
  CreateRoutedWindow({kMainWindowClass, instance, icon_.get(), LoadCursorW(nullptr, IDC_ARROW)},
                     {WS_EX_TOOLWINDOW, WS_POPUP, title.c_str(), kDesignLeft, kDesignTop,
                      kDesignWidth, kDesignHeight, application_.Handle()});
  UseDpi(WindowDpi(Handle()));
  show_widget_message_ = ShowWidgetMessage();
  // A start of the same user may run at another integrity level; its request still gets here.
  // Tolerated when it fails: only such a start's request is then not heard.
  if (show_widget_message_ != 0)
    ChangeWindowMessageFilterEx(Handle(), show_widget_message_, MSGFLT_ALLOW, nullptr);

  sound_ = std::make_unique<WidgetSound>(
      Handle(), kFadeTimer, clock_, ProgramFolder("sounds"), menu_,
      [this](const std::string& problem) { report_.ShowError(ReportSource::kSound, problem); });
  settings_ = std::make_unique<WidgetSettings>(WidgetSettings::Widget{
      Handle(), application_, report_, menu_, skin_, sound_->Player(), font_, screen_keeper_,
      registry_, ScreenPixelsPerInch(), [this] { Redraw(); },
      [this](const std::string& item) { ChooseDueDate(menu_.Entry(item)); }});
  tray_icon_ = std::make_unique<TrayIcon>(tray_icon_image_.get(), kApplicationTitle, Handle(),
                                          TrayHandlers());
  unseen_notifications_ = std::make_unique<UnseenNotifications>(Handle());
  accessible_caption_ = std::make_unique<AccessibleCaption>(
      Handle(), [this] { return RemainingTimeText(target_, clock_); });
}

// -- the life cycle ------------------------------------------------------------------------------

void MainWindow::Start() {
  due_date_tip_ = std::make_unique<DueDateTipWindow>(Handle());
  if (const DWORD error = MakeLayered(Handle()))
    report_.ShowSystemError(ReportSource::kStartUp, error);
  BuildSharedBlurKernel();
  SetDueDateCaptions(menu_.Root(), CurrentInstant(clock_));
  skin_.LoadSkin(defaults::kSkinName);
  // Without its sprite the widget still comes up; it only has no stars.
  report_.Guard(ReportSource::kStartUp, [this] { stars_.LoadSprite(ExecutableFolder(), dpi_); });
}

void MainWindow::SetVisible(bool visible) {
  if (visible == Visible()) return;
  visible_ = visible;
  if (visible) {
    // Whatever the window showed before it was hidden, the first frame is handed over whole.
    frames_.ForgetPresented();
    report_.Guard(ReportSource::kSettings, [this] { settings_->Store().LoadSettings(); });
    // The first frame of the load has given the window its real size.
    report_.Guard(ReportSource::kWindowEvent, [this] { KeepOnScreen(Handle(), screen_keeper_); });
    ShowWindow(Handle(), SW_SHOW);
    report_.Guard(ReportSource::kWindowEvent, [this] { OnShown(); });
  } else {
    ShowWindow(Handle(), SW_HIDE);
    report_.Guard(ReportSource::kWindowEvent, [this] { settings_->Store().SaveSettings(); });
  }
  report_.Guard(ReportSource::kWindowEvent, [this] { FollowSight(); });
}

void MainWindow::FollowSight() {
  if (closing_ || !Handle()) return;
  if (Seen()) {
    KillTimer(Handle(), kChimeTimer);
    if (!frames_running_) {
      if (!SetTimer(Handle(), kRefreshTimer, kRefreshInterval, nullptr)) {
        ThrowLastError("SetTimer");
      }
      frames_running_ = true;
      Redraw();
    }
    return;
  }
  if (frames_running_) KillTimer(Handle(), kRefreshTimer);
  frames_running_ = false;
  ArmChimeTimer();
}

void MainWindow::ArmChimeTimer() {
  if (closing_ || frames_running_ || !sound_ || !Handle()) return;
  const std::optional<std::uint32_t> wait = sound_->Chimes().MillisecondsToNextSlot();
  if (!wait) {
    KillTimer(Handle(), kChimeTimer);
    return;
  }
  // At least the timer's own least interval; a timer that fires a little early is set again.
  if (!SetTimer(Handle(), kChimeTimer, std::max<UINT>(*wait, USER_TIMER_MINIMUM), nullptr)) {
    ThrowLastError("SetTimer");
  }
}

void MainWindow::OnChimeTimer() {
  KillTimer(Handle(), kChimeTimer);
  // The timer is set for the next slot whether or not this one's chime could play.
  std::exception_ptr chime_problem;
  try {
    sound_->Chimes().CheckChimeAtSlot();
  } catch (...) {
    chime_problem = std::current_exception();
  }
  ArmChimeTimer();
  if (chime_problem) std::rethrow_exception(chime_problem);
}

void MainWindow::OnShown() {
  ReownToDesktop(Handle());
  SetAlwaysOnTop(Handle(), menu_.Checked(item_names::kAlwaysOnTop));
  SetForegroundWindow(Handle());
}

void MainWindow::BringIntoView() {
  if (closing_) return;
  if (!Visible()) {
    // As a click on the tray icon shows it: owned by the desktop, then shown with its settings.
    ReownToDesktop(Handle());
    SetVisible(true);
    return;
  }
  SetForegroundWindow(Handle());
}

void MainWindow::CloseWidget(CloseRequest request) {
  closing_ = true;
  if (request == CloseRequest::kFromOutside) report_.Silence();
  // A granted close request saves, the close handler saves again, then the window goes.
  report_.Guard(ReportSource::kSettings, [this] { settings_->Store().SaveOnCloseRequest(); });
  report_.Guard(ReportSource::kWindowEvent, [this] { settings_->Store().SaveSettings(); });
  DestroyWindow(Handle());
}

void MainWindow::OnDestroy() {
  visible_ = false;  // destruction has hidden the window
  KillTimer(Handle(), kRefreshTimer);
  KillTimer(Handle(), kChimeTimer);
  frames_running_ = false;
  unseen_notifications_.reset();
  if (settings_)
    report_.Guard(ReportSource::kSettings, [this] { settings_->Store().SaveOnDestroy(); });
  skin_.Release();
  stars_.ReleaseSprite();
  // The tray icon goes with the window object, after the message loop: Exit can be chosen from
  // the icon's own menu, whose handler is still running here.
  if (sound_) sound_->Shutdown();
  due_date_tip_.reset();
  PostQuitMessage(0);
}

void MainWindow::OnSuspend() {
  if (sound_) sound_->Player().EndClip();
  // The machine may not wake again (a battery that runs out).
  StoreChoices();
}

void MainWindow::StoreChoices() {
  if (closing_ || !settings_) return;
  report_.Guard(ReportSource::kSettings, [this] { settings_->Store().SaveSettings(); });
}

void MainWindow::DragWidget() {
  if (DragWindow(Handle())) StoreChoices();
}

void MainWindow::OnClockJump() {
  if (sound_) sound_->Chimes().Resync();
  Redraw();
  ArmChimeTimer();
}

void MainWindow::OnDpiChanged(int dpi, const RECT& suggested) {
  if (dpi <= 0) return;
  UseDpi(dpi);
  // Problems of the pictures for the new scale are reported once the frame stands.
  report_.Guard(ReportSource::kWindowEvent, [this] { stars_.SetDpi(dpi_); });
  const POINT place{suggested.left, suggested.top};
  if (Visible()) {
    RedrawAt(place);
  } else if (!SetWindowPos(Handle(), nullptr, place.x, place.y, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)) {
    ThrowLastError("SetWindowPos");
  }
}

void MainWindow::UseDpi(int dpi) {
  dpi_ = dpi;
  skin_.SetDpi(dpi);
}

// -- frames and ticks ----------------------------------------------------------------------------

void MainWindow::Redraw() {
  RedrawAt(std::nullopt);
}

void MainWindow::RedrawAt(std::optional<POINT> position) {
  if (!Visible()) return;
  // The stars have twinkled on for as long as there was no frame to show them.
  stars_.AdvanceTo(GetTickCount64(), skin_.SkinBitmap());
  const FrameInputs inputs = CurrentFrameInputs();
  accessible_caption_->CaptionShown(inputs.caption_text, target_);
  // A window put on screen in place of a stored position was fitted at the size it had then; a
  // frame of another size (the caption's font, the skin) is fitted again so that it stays whole.
  if (frames_.Draw(Handle(), inputs, skin_.SkinName(), position))
    KeepOnScreen(Handle(), screen_keeper_);
}

FrameInputs MainWindow::CurrentFrameInputs() {
  FrameInputs inputs;
  inputs.caption_text = RemainingTimeText(target_, clock_);
  inputs.font = font_;
  inputs.font.height = ScaledLength(font_.height, dpi_);
  inputs.display_shadow = menu_.Checked(item_names::kDisplayShadow);
  inputs.show_days = menu_.Checked(item_names::kShowDays);
  inputs.show_stars = menu_.Checked(item_names::kShowStars);
  inputs.skin = skin_.SkinBitmap();
  inputs.skin_version = skin_.Version();
  inputs.star_sprite = &stars_.Sprite();
  inputs.stars = &stars_.Stars();
  inputs.dpi = dpi_;
  return inputs;
}

void MainWindow::OnRefreshTick() {
  // The chime is due whether or not the frame could be drawn.
  std::exception_ptr frame_problem;
  try {
    Redraw();
  } catch (...) {
    frame_problem = std::current_exception();
  }
  sound_->Chimes().CheckChime();
  if (frame_problem) std::rethrow_exception(frame_problem);
}

// -- messages ------------------------------------------------------------------------------------

bool MainWindow::HandleTimer(WPARAM timer) {
  switch (timer) {
    case kRefreshTimer:
      report_.Guard(ReportSource::kRefreshTick, [this] { OnRefreshTick(); });
      return true;
    case kChimeTimer:
      report_.Guard(ReportSource::kRefreshTick, [this] { OnChimeTimer(); });
      return true;
    case kFadeTimer:
      report_.Guard(ReportSource::kFadeTick, [this] { sound_->Player().OnFadeTick(); });
      return true;
  }
  return false;
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  // The tip sees the mouse first, as it would through a subclass; a mouse move then starts a drag.
  if (due_date_tip_) due_date_tip_->RelayMouseMessage(message, wparam, lparam);
  if (show_widget_message_ != 0 && message == show_widget_message_) {
    report_.Guard(ReportSource::kWindowEvent, [this] { BringIntoView(); });
    return 0;
  }
  switch (message) {
    case WM_TIMER:
      if (HandleTimer(wparam)) return 0;
      break;
    case WM_MOUSEMOVE:
      report_.Guard(ReportSource::kWindowEvent, [this] { DragWidget(); });
      return 0;
    case WM_CONTEXTMENU:
      if (MenuItem* chosen = ChooseFromMenu(Handle(), ContextMenuPoint(Handle(), lparam))) {
        ClickMenuEntry(*chosen);
      }
      return 0;
    case WM_ACTIVATE:
      // Activation would give the application's own window a taskbar button.
      if (LOWORD(wparam) != WA_INACTIVE)
        report_.Guard(ReportSource::kWindowEvent, [this] { application_.HideFromTaskbar(); });
      break;
    case WM_GETOBJECT:
      if (accessible_caption_) {
        if (const auto answer = accessible_caption_->Answer(wparam, lparam)) return *answer;
      }
      break;
    case WM_GETMINMAXINFO: {
      const int side = ScaledLength(kMinimumSide, dpi_);
      reinterpret_cast<MINMAXINFO*>(lparam)->ptMinTrackSize = POINT{side, side};
      return 0;
    }
    case WM_DPICHANGED:
      report_.Guard(ReportSource::kWindowEvent,
                    [=] { OnDpiChanged(LOWORD(wparam), *reinterpret_cast<const RECT*>(lparam)); });
      return 0;
    case ErrorReport::kShowReportsMessage:
      // An open menu's loop delivers this too; its reports wait until the menu has gone.
      if (menu_.IsOpen()) {
        report_.PostponePending();
      } else {
        report_.ShowPending();
      }
      return 0;
    case WM_FONTCHANGE:
      // A font installed or removed may change how the same face name draws.
      frames_.ForgetFonts();
      report_.Guard(ReportSource::kFrameUpdate, [this] { Redraw(); });
      return 0;
    case WM_DISPLAYCHANGE:
      report_.Guard(ReportSource::kWindowEvent, [this] { KeepOnScreen(Handle(), screen_keeper_); });
      break;
    case WM_SETTINGCHANGE:
      if (wparam == SPI_SETWORKAREA)
        report_.Guard(ReportSource::kWindowEvent,
                      [this] { KeepOnScreen(Handle(), screen_keeper_); });
      // The time zone or its daylight saving may have changed: the next slot is counted again.
      report_.Guard(ReportSource::kRefreshTick, [this] { ArmChimeTimer(); });
      break;
    case WM_POWERBROADCAST:
      if (wparam == PBT_APMSUSPEND) {
        report_.Guard(ReportSource::kWindowEvent, [this] { OnSuspend(); });
      } else if (wparam == PBT_APMRESUMEAUTOMATIC || wparam == PBT_APMRESUMESUSPEND) {
        report_.Guard(ReportSource::kRefreshTick, [this] { OnClockJump(); });
      } else if (wparam == PBT_POWERSETTINGCHANGE) {
        if (const std::optional<bool> off = DisplayOffFrom(lparam)) {
          display_off_ = *off;
          report_.Guard(ReportSource::kWindowEvent, [this] { FollowSight(); });
        }
      }
      return TRUE;
    case WM_WTSSESSION_CHANGE:
      if (const std::optional<bool> locked = SessionLockedBy(wparam)) {
        session_locked_ = *locked;
        report_.Guard(ReportSource::kWindowEvent, [this] { FollowSight(); });
      }
      return 0;
    case WM_TIMECHANGE:
      report_.Guard(ReportSource::kRefreshTick, [this] { OnClockJump(); });
      return 0;
    case WM_CLOSE:
      // Exit closes the widget itself; this close message comes from another program.
      if (!closing_) CloseWidget(CloseRequest::kFromOutside);
      return 0;
    case WM_ENDSESSION:
      // The session ends without a close request: the widget closes as Exit closes it, so choices
      // made from the tray menu while it was hidden are saved too.
      if (wparam && !closing_) CloseWidget(CloseRequest::kFromOutside);
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
  }
  return DefaultHandling(message, wparam, lparam);
}

}  // namespace tindrel::win
