#include "app/win32/main_window.h"

#include <exception>

#include "app/countdown.h"
#include "app/win32/resource.h"
#include "app/win32/single_instance.h"
#include "app/win32/window_actions.h"
#include "base/file_system.h"
#include "base/stored_names.h"
#include "base/win32/text_conversion.h"
#include "render/gblur3.h"
#include "settings/win32/window_placement.h"

namespace tindrel::win {
namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT_PTR kStarTimer = 2;
constexpr UINT_PTR kFadeTimer = 3;
constexpr UINT kRefreshInterval = 220;
constexpr UINT kStarInterval = 25;

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

  // Borderless; kept out of the taskbar and the task switcher whoever owns it.
  const std::wstring title = Widen(kApplicationTitle);
  CreateRoutedWindow({kMainWindowClass, instance, icon_.get(), LoadCursorW(nullptr, IDC_ARROW)},
                     {WS_EX_TOOLWINDOW, WS_POPUP, title.c_str(), kDesignLeft, kDesignTop,
                      kDesignWidth, kDesignHeight, application_.Handle()});
  show_widget_message_ = ShowWidgetMessage();
  // A start of the same user may run at another integrity level; its request still gets here.
  // Tolerated when it fails: only such a start's request is then not heard.
  if (show_widget_message_ != 0)
    ChangeWindowMessageFilterEx(Handle(), show_widget_message_, MSGFLT_ALLOW, nullptr);

  sound_ =
      std::make_unique<WidgetSound>(Handle(), kFadeTimer, clock_, ProgramFolder("sounds"), menu_);
  settings_ = std::make_unique<WidgetSettings>(WidgetSettings::Widget{
      Handle(), application_, report_, menu_, skin_, sound_->Player(), font_, screen_keeper_,
      registry_, ScreenPixelsPerInch(), [this] { Redraw(); },
      [this](const std::string& item) { ChooseDueDate(menu_.Entry(item)); }});
  tray_icon_ = std::make_unique<TrayIcon>(icon_.get(), kApplicationTitle, Handle(), TrayHandlers());
  accessible_caption_ = std::make_unique<AccessibleCaption>(
      Handle(), [this] { return RemainingTimeText(target_, CurrentInstant(clock_)); });
  if (!SetTimer(Handle(), kStarTimer, kStarInterval, nullptr)) ThrowLastError("SetTimer");
}

// -- the life cycle ------------------------------------------------------------------------------

void MainWindow::Start() {
  due_date_tip_ = std::make_unique<DueDateTipWindow>(Handle());
  if (const DWORD error = MakeLayered(Handle()))
    report_.ShowSystemError(ReportSource::kStartUp, error);
  BuildSharedBlurKernel();
  SetDueDateCaptions(menu_.Root(), CurrentInstant(clock_));
  skin_.LoadSkin(defaults::kSkinName);
  if (!SetTimer(Handle(), kRefreshTimer, kRefreshInterval, nullptr)) ThrowLastError("SetTimer");
  // Without its sprite the widget still comes up; it only has no stars.
  report_.Guard(ReportSource::kStartUp,
                [this] { stars_.LoadSprite(ExecutableFolder() + "star.png"); });
}

void MainWindow::SetVisible(bool visible) {
  if (visible == Visible()) return;
  visible_ = visible;
  if (visible) {
    report_.Guard(ReportSource::kSettings, [this] { settings_->Store().LoadSettings(); });
    // The first frame of the load has given the window its real size.
    report_.Guard(ReportSource::kWindowEvent, [this] { KeepOnScreen(Handle(), screen_keeper_); });
    ShowWindow(Handle(), SW_SHOW);
    report_.Guard(ReportSource::kWindowEvent, [this] { OnShown(); });
  } else {
    ShowWindow(Handle(), SW_HIDE);
    report_.Guard(ReportSource::kWindowEvent, [this] { settings_->Store().SaveSettings(); });
  }
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

void MainWindow::CloseWidget() {
  closing_ = true;
  // A granted close request saves, the close handler saves again, then the window goes.
  report_.Guard(ReportSource::kSettings, [this] { settings_->Store().SaveOnCloseRequest(); });
  report_.Guard(ReportSource::kWindowEvent, [this] { settings_->Store().SaveSettings(); });
  DestroyWindow(Handle());
}

void MainWindow::OnDestroy() {
  visible_ = false;  // destruction has hidden the window
  KillTimer(Handle(), kRefreshTimer);
  KillTimer(Handle(), kStarTimer);
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
}

void MainWindow::OnClockJump() {
  if (sound_) sound_->Chimes().Resync();
  Redraw();
}

// -- frames and ticks ----------------------------------------------------------------------------

void MainWindow::Redraw() {
  if (!Visible()) return;
  const FrameInputs inputs = CurrentFrameInputs();
  accessible_caption_->CaptionShown(inputs.caption_text, target_);
  // A window put on screen in place of a stored position was fitted at the size it had then; a
  // frame of another size (the caption's font, the skin) is fitted again so that it stays whole.
  if (frames_.Draw(Handle(), inputs, skin_.SkinName())) KeepOnScreen(Handle(), screen_keeper_);
}

FrameInputs MainWindow::CurrentFrameInputs() {
  FrameInputs inputs;
  inputs.caption_text = RemainingTimeText(target_, CurrentInstant(clock_));
  inputs.font = font_;
  inputs.display_shadow = menu_.Checked(item_names::kDisplayShadow);
  inputs.show_days = menu_.Checked(item_names::kShowDays);
  inputs.show_stars = menu_.Checked(item_names::kShowStars);
  inputs.skin = skin_.SkinBitmap();
  inputs.skin_version = skin_.Version();
  inputs.star_sprite = &stars_.Sprite();
  inputs.stars = &stars_.Stars();
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
    case kStarTimer:
      report_.Guard(ReportSource::kStarTick, [this] { stars_.Tick(skin_.SkinBitmap()); });
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
      report_.Guard(ReportSource::kWindowEvent, [this] { StartDrag(Handle()); });
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
    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(lparam)->ptMinTrackSize = POINT{kMinimumSide, kMinimumSide};
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
      break;
    case WM_POWERBROADCAST:
      if (wparam == PBT_APMSUSPEND) {
        report_.Guard(ReportSource::kWindowEvent, [this] { OnSuspend(); });
      } else if (wparam == PBT_APMRESUMEAUTOMATIC || wparam == PBT_APMRESUMESUSPEND) {
        report_.Guard(ReportSource::kRefreshTick, [this] { OnClockJump(); });
      }
      return TRUE;
    case WM_TIMECHANGE:
      report_.Guard(ReportSource::kRefreshTick, [this] { OnClockJump(); });
      return 0;
    case WM_CLOSE:
      if (!closing_) CloseWidget();
      return 0;
    case WM_ENDSESSION:
      // The session ends without a close request: the widget closes as Exit closes it, so choices
      // made from the tray menu while it was hidden are saved too.
      if (wparam && !closing_) CloseWidget();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
  }
  return DefaultHandling(message, wparam, lparam);
}

}  // namespace tindrel::win
