#include "app/win32/main_window.h"

#include <commdlg.h>

#include <chrono>
#include <exception>

#include "app/countdown.h"
#include "app/win32/resource.h"
#include "app/win32/single_instance.h"
#include "base/error.h"
#include "base/file_system.h"
#include "base/win32/text_conversion.h"
#include "render/alpha_bitmap.h"
#include "render/composition.h"
#include "render/gblur3.h"
#include "render/png_decoder.h"
#include "render/win32/layered_window.h"
#include "settings/startup.h"
#include "settings/web_links.h"
#include "settings/win32/window_placement.h"

namespace tindrel::win {
namespace {

constexpr UINT_PTR kRefreshTimer = 1;  // tmrRefresh
constexpr UINT_PTR kStarTimer = 2;     // tStarts
constexpr UINT_PTR kFadeTimer = 3;     // tFade
constexpr UINT kRefreshInterval = 220;
constexpr UINT kStarInterval = 25;

constexpr int kDesignLeft = 366;
constexpr int kDesignTop = 216;
constexpr int kDesignWidth = 396;
constexpr int kDesignHeight = 353;
constexpr int kMinimumSide = 32;
constexpr WPARAM kDragCommand = SC_MOVE | HTCAPTION;  // 0xF012

constexpr Colour kStarFill = 0x000000;

// The digital face shipped in the ready folder's fonts/, drawn when the default face is missing.
constexpr char kBundledFontFile[] = "DSEG14Classic-Regular.ttf";
constexpr char kBundledFace[] = "DSEG14 Classic";

}  // namespace

TfrmVelaCountdownClock::TfrmVelaCountdownClock(Application& application, ErrorReport& report)
    : application_(application),
      report_(report),
      skin_(ExecutableFolder() + "skins" + PathSeparator(),
            [this](const std::string& problem) {
              report_.ShowError(ReportSource::kWindowEvent, problem);
            }),
      bundled_font_(ExecutableFolder() + "fonts" + PathSeparator() + kBundledFontFile) {
  if (bundled_font_.Loaded()) painter_.SetFaceStandIn({kDefaultFontName, kBundledFace});
  pixels_per_inch_ = ScreenPixelsPerInch();
  try {
    CreateWindowFromDefinition();
    report_.SetOwner(Handle());
    FormCreate();
  } catch (...) {
    // The destructor does not run for a constructor that throws; the start-up report that follows
    // pumps messages, which must not reach the members going away now.
    DetachAndDestroyWindow();
    throw;
  }
}

// Destroyed here, while every member still stands: its destruction handlers save the settings.
TfrmVelaCountdownClock::~TfrmVelaCountdownClock() {
  if (Handle()) DestroyWindow(Handle());
}

void TfrmVelaCountdownClock::DetachAndDestroyWindow() {
  report_.SetOwner(nullptr);
  DestroyUnbound();
}

void TfrmVelaCountdownClock::CreateWindowFromDefinition() {
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

  // The components of the window's definition, which exist before its creation handler runs.
  PopupMenu1 = BuildPopupMenu();
  MediaPlayer1 = std::make_unique<TMediaPlayer>();
  tFade = std::make_unique<WindowFadeTimer>(Handle(), kFadeTimer);
  player_ = std::make_unique<SoundPlayer>(*MediaPlayer1, *tFade,
                                          ExecutableFolder() + "sounds" + PathSeparator(),
                                          [this] { return Checked("Never1"); });
  FormStorage1 = std::make_unique<FormStorage>(registry_, *this);
  FormStorage1->OnRestorePlacement = [this] { FormStorage1RestorePlacement(*FormStorage1, *this); };
  FormStorage1->OnSavePlacement = [this] { FormStorage1SavePlacement(*FormStorage1, *this); };
  RxTrayIcon1 = std::make_unique<TrayIcon>(
      icon_.get(), kApplicationTitle, Handle(),
      TrayIcon::Handlers{
          [this](const TrayClick&) { RxTrayIcon1Click(); },
          [this](HWND owner, POINT cursor) -> std::function<void()> {
            MenuItem* chosen = ChooseFromPopupMenu1(owner, cursor);
            if (!chosen) return {};
            return [this, chosen] { ClickMenuEntry(*chosen); };
          },
          [this] { ClickMenuEntry(EntryNamed(*PopupMenu1, "ShowHide1")); },
          [this](const std::string& message) {
            report_.ShowError(ReportSource::kTrayIcon, message);
          },
      });
  if (!SetTimer(Handle(), kStarTimer, kStarInterval, nullptr)) ThrowLastError("SetTimer");
}

// -- creation and the window's life cycle ---------------------------------------------------------

void TfrmVelaCountdownClock::FormCreate() {
  due_date_tip_ = std::make_unique<DueDateTipWindow>(Handle());
  MakeLayered();
  BuildSharedBlurKernel();
  SetDueDateCaptions(*PopupMenu1, CurrentInstant(clock_));
  LoadSkin("glass");
  player_->FSoundName = SoundPlayer::kDefaultSoundName;
  chimes_ = std::make_unique<ChimeSchedule>(
      clock_,
      ChimeSchedule::Entries{[this] { return Checked("EveryHour1"); },
                             [this] { return Checked("EveryHalfHour1"); }},
      [this] { player_->PlaySound(); });
  if (!SetTimer(Handle(), kRefreshTimer, kRefreshInterval, nullptr)) ThrowLastError("SetTimer");
  // Without its sprite the widget still comes up; it only has no stars.
  if (!report_.Guard(ReportSource::kStartUp, [this] { LoadStarSprite(); })) return;
  stars_.Reset();
  random_ = MersenneRandom(static_cast<std::uint32_t>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

void TfrmVelaCountdownClock::MakeLayered() {
  const LONG style = GetWindowLongW(Handle(), GWL_EXSTYLE);
  SetLastError(0);
  if (SetWindowLongW(Handle(), GWL_EXSTYLE, style | WS_EX_LAYERED) == 0 && GetLastError() != 0) {
    report_.ShowSystemError(ReportSource::kStartUp, GetLastError());
  }
}

void TfrmVelaCountdownClock::LoadStarSprite() {
  FStarSprite = FrameBitmap();
  const DecodedPng picture = DecodePngFile(ExecutableFolder() + "star.png");
  FStarSprite = PngToAlphaBitmap(picture, kStarFill);
}

void TfrmVelaCountdownClock::SetVisible(bool visible) {
  if (visible == Visible()) return;
  visible_ = visible;
  if (visible) {
    Dispatch(ReportSource::kSettings, [this] { FormStorage1->LoadSettings(); });
    // The first frame of the load has given the window its real size.
    Dispatch(ReportSource::kWindowEvent, [this] { KeepOnScreen(); });
    ShowWindow(Handle(), SW_SHOW);
    Dispatch(ReportSource::kWindowEvent, [this] { FormShow(); });
  } else {
    ShowWindow(Handle(), SW_HIDE);
    Dispatch(ReportSource::kWindowEvent, [this] { FormHide(); });
  }
}

void TfrmVelaCountdownClock::ReownToDesktop() {
  SetWindowLongChecked(Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(GetDesktopWindow()));
}

void TfrmVelaCountdownClock::KeepOnScreen() {
  RECT rect{};
  if (!GetWindowRect(Handle(), &rect)) ThrowLastError("GetWindowRect");
  const auto moved = screen_keeper_.Refit(
      PlacementRect{rect.left, rect.top, rect.right, rect.bottom}, MonitorWorkAreas());
  if (!moved) return;
  if (!SetWindowPos(Handle(), nullptr, moved->left, moved->top, 0, 0,
                    SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)) {
    ThrowLastError("SetWindowPos");
  }
}

void TfrmVelaCountdownClock::OnSuspend() {
  if (player_) player_->EndClip();
}

void TfrmVelaCountdownClock::OnClockJump() {
  if (chimes_) chimes_->Resync();
  OnDrawWidget();
}

void TfrmVelaCountdownClock::FormShow() {
  ReownToDesktop();
  OnTop1Click();
  SetForegroundWindow(Handle());
}

void TfrmVelaCountdownClock::FormActivate() {
  application_.HideFromTaskbar();
}

void TfrmVelaCountdownClock::FormMouseMove() {
  // The system's own move loop drags the window; it needs the capture released first.
  ReleaseCapture();
  SendMessageW(Handle(), WM_SYSCOMMAND, kDragCommand, 0);
}

void TfrmVelaCountdownClock::FormHide() {
  FormStorage1->SaveSettings();
}

void TfrmVelaCountdownClock::FormClose() {
  FormStorage1->SaveSettings();
}

void TfrmVelaCountdownClock::BringIntoView() {
  if (closing_) return;
  if (!Visible()) {
    // As a click on the tray icon shows it: owned by the desktop, then shown with its settings.
    ReownToDesktop();
    SetVisible(true);
    return;
  }
  SetForegroundWindow(Handle());
}

void TfrmVelaCountdownClock::FormDestroy() {
  skin_.Release();
  FStarSprite = FrameBitmap();
}

// -- commands ------------------------------------------------------------------------------------

void TfrmVelaCountdownClock::OnTop1Click() {
  if (!SetWindowPos(Handle(), Checked("OnTop1") ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                    SWP_NOMOVE | SWP_NOSIZE)) {
    ThrowLastError("SetWindowPos");
  }
}

void TfrmVelaCountdownClock::ShowHide1Click() {
  SetVisible(!Visible());
}

void TfrmVelaCountdownClock::RxTrayIcon1Click() {
  if (closing_) return;
  ReownToDesktop();
  SetVisible(!Visible());
}

void TfrmVelaCountdownClock::Exit1Click() {
  SendMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TfrmVelaCountdownClock::CloseWidget() {
  closing_ = true;
  // A granted close request saves, the close handler saves again, then the window goes.
  Dispatch(ReportSource::kSettings, [this] { FormStorage1->SaveOnCloseRequest(); });
  Dispatch(ReportSource::kWindowEvent, [this] { FormClose(); });
  DestroyWindow(Handle());
}

void TfrmVelaCountdownClock::DisplayShadow1Click() {
  OnDrawWidget();
}

MenuItem* TfrmVelaCountdownClock::ChooseFromPopupMenu1(HWND owner, POINT screen_point) {
  if (closing_ || menu_open_) return nullptr;
  menu_open_ = true;
  struct MenuClosed {
    bool& open;
    ErrorReport& report;
    ~MenuClosed() {
      open = false;
      report.PostPending();  // what was held back while the menu was open
    }
  } closed{menu_open_, report_};
  std::vector<std::string> problems;
  if (!report_.Guard(ReportSource::kMenuCommand, [&] { problems = PopupMenu1Popup(); })) {
    return nullptr;
  }
  ReportListProblems(problems);
  if (report_.HasPending()) {
    // The lists are complete: what was found on the way is told before the menu opens. The box's
    // own loop may have closed the program meanwhile.
    report_.ShowPending();
    if (closing_ || !Handle()) return nullptr;
  }
  MenuItem* chosen = nullptr;
  report_.Guard(ReportSource::kMenuCommand,
                [&] { chosen = ShowPopupMenu(*PopupMenu1, owner, screen_point); });
  return chosen;
}

void TfrmVelaCountdownClock::ClickMenuEntry(MenuItem& entry) {
  if (closing_) return;
  Dispatch(ReportSource::kMenuCommand, [&] {
    ApplyAutoCheck(entry);
    RunMenuCommand(entry);
  });
}

std::vector<std::string> TfrmVelaCountdownClock::PopupMenu1Popup() {
  const std::string folder = ExecutableFolder();
  std::vector<std::string> problems;
  // A folder that cannot be listed gives an empty list: the menu, and Exit in it, still opens.
  const auto list = [&](const std::string& name, const char* extension) {
    try {
      return ListFolderFiles(folder + name, extension);
    } catch (const Error& error) {
      problems.push_back(error.what());
      return std::vector<std::string>{};
    }
  };
  MenuListSources sources;
  sources.skin_files = list("skins", ".png");
  sources.sound_files = list("sounds", ".mp3");
  sources.skin_name = skin_.SkinName();
  sources.sound_name = player_->FSoundName;
  for (std::string& problem : RebuildMenuLists(*PopupMenu1, sources)) {
    problems.push_back(std::move(problem));
  }
  return problems;
}

void TfrmVelaCountdownClock::ReportListProblems(const std::vector<std::string>& problems) {
  // The same odd files are found at every opening; they are told once, and again only when the
  // set of problems changes.
  if (problems == reported_list_problems_) return;
  reported_list_problems_ = problems;
  if (problems.empty()) return;
  std::string text;
  for (const std::string& problem : problems) {
    if (!text.empty()) text += "\n";
    text += WithFullStop(problem);
  }
  report_.ShowError(ReportSource::kMenuCommand, text);
}

void TfrmVelaCountdownClock::RunMenuCommand(MenuItem& entry) {
  switch (entry.command) {
    case MenuCommand::kNone:
      break;
    case MenuCommand::kAbout:
      OpenWebPage(WebPage::kProduct, registry_, shell_);
      break;
    case MenuCommand::kTellAFriend:
      OpenTellAFriendMail(shell_);
      break;
    case MenuCommand::kDownloadGlobe:
    case MenuCommand::kDownloadWreath:
      OpenWebPage(WebPage::kSibling, registry_, shell_);
      break;
    case MenuCommand::kShowHide:
      ShowHide1Click();
      break;
    case MenuCommand::kDueDate:
      DueDateClick(entry);
      break;
    case MenuCommand::kSelectSkin:
      inmSkinsClick(entry);
      break;
    case MenuCommand::kSelectSound:
      inmSoundsClick(entry);
      break;
    case MenuCommand::kFont:
      EditCurrentSkin1Click();
      break;
    case MenuCommand::kStartup:
      chbStartupClick();
      break;
    case MenuCommand::kOnTop:
      OnTop1Click();
      break;
    case MenuCommand::kDisplayShadow:
      DisplayShadow1Click();
      break;
    case MenuCommand::kExit:
      Exit1Click();
      break;
  }
}

void TfrmVelaCountdownClock::inmSkinsClick(const MenuItem& entry) {
  LoadSkin(entry.name);
  stars_.Reset();
  OnDrawWidget();
}

void TfrmVelaCountdownClock::inmSoundsClick(const MenuItem& entry) {
  player_->FSoundName = entry.name;
  player_->PlaySound();
  OnDrawWidget();
}

void TfrmVelaCountdownClock::EditCurrentSkin1Click() {
  LOGFONTW logical = LogicalFontFor(font_);

  CHOOSEFONTW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = Handle();
  dialog.lpLogFont = &logical;
  dialog.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
  dialog.rgbColors = font_.colour;
  // The font chooser's library comes in for the dialog only.
  const ScopedModule dialogs = LoadSystemLibrary(L"comdlg32.dll");
  const auto choose_font = LibraryFunction<decltype(&ChooseFontW)>(dialogs, "ChooseFontW");
  if (!choose_font(&dialog)) return;  // Cancel changes nothing

  font_.face = Narrow(logical.lfFaceName);
  font_.height = logical.lfHeight;
  font_.colour = dialog.rgbColors;
  font_.style = (logical.lfWeight >= FW_BOLD ? kBold : 0) | (logical.lfItalic ? kItalic : 0) |
                (logical.lfUnderline ? kUnderline : 0) | (logical.lfStrikeOut ? kStrikeOut : 0);
}

void TfrmVelaCountdownClock::DueDateClick(MenuItem& entry) {
  DueDateTipText = "Till " + entry.caption;
  const DueDateApplication applied = ApplyDueDate(entry.caption, entry.tag, CurrentInstant(clock_));
  const std::wstring tip(applied.tip_text.begin(), applied.tip_text.end());
  due_date_tip_->AttachDueDateTip(kDueDateTipTitle, tip, kDueDateTipBackColour,
                                  kDueDateTipTextColour);
  FTarget = applied.target;
}

void TfrmVelaCountdownClock::DueDateClick(const std::string& item) {
  DueDateClick(EntryNamed(*PopupMenu1, item));
}

void TfrmVelaCountdownClock::chbStartupClick() {
  SyncStartWithSystem(registry_, ExecutablePath(), Checked("chbStartup"));
}

// -- skins and frames ----------------------------------------------------------------------------

void TfrmVelaCountdownClock::LoadSkin(const std::string& name) {
  skin_.LoadSkin(name);
}

FrameInputs TfrmVelaCountdownClock::CurrentFrameInputs() {
  FCaptionText = RemainingTimeText(FTarget, CurrentInstant(clock_));
  FrameInputs inputs;
  inputs.caption_text = FCaptionText;
  inputs.font = font_;
  inputs.display_shadow = Checked("DisplayShadow1");
  inputs.show_days = Checked("ShowDays1");
  inputs.show_stars = Checked("ShowRandomStars1");
  inputs.skin = skin_.SkinBitmap();
  inputs.skin_version = skin_.Version();
  inputs.star_sprite = &FStarSprite;
  inputs.stars = &stars_.Stars();
  return inputs;
}

namespace {

// The inputs that decide whether a frame can be composed at all; the caption text and the stars
// change from frame to frame without changing that.
std::string FrameCause(const FrameInputs& inputs, const std::string& skin_name) {
  return inputs.font.face + '\n' + std::to_string(inputs.font.height) + '\n' +
         std::to_string(inputs.font.style) + '\n' + std::to_string(inputs.display_shadow) +
         std::to_string(inputs.show_days) + '\n' + skin_name;
}

}  // namespace

void TfrmVelaCountdownClock::OnDrawWidget() {
  if (!Visible()) return;
  const FrameInputs inputs = CurrentFrameInputs();
  const FrameBitmap* frame = nullptr;
  try {
    frame = &composer_.Compose(painter_, inputs);
  } catch (const std::exception& error) {
    // The last good frame stays on screen; the problem is told once for the same inputs, and the
    // caller (a tick, a load, a menu command) goes on with the rest of its work.
    const std::string cause = FrameCause(inputs, skin_.SkinName());
    if (failed_frame_inputs_ != cause) {
      failed_frame_inputs_ = cause;
      report_.ShowError(ReportSource::kFrameUpdate, error.what());
    }
    return;
  }
  failed_frame_inputs_.reset();
  PresentFrame(*frame);
}

void TfrmVelaCountdownClock::PresentFrame(const FrameBitmap& frame) {
  RECT rect{};
  if (!GetWindowRect(Handle(), &rect)) ThrowLastError("GetWindowRect");
  const DWORD error = presenter_.Present(Handle(), frame, POINT{rect.left, rect.top});
  if (error && error != failed_present_code_)
    report_.ShowSystemError(ReportSource::kFrameUpdate, error);
  failed_present_code_ = error;
  // A window put on screen in place of a stored position was fitted at the size it had then; a
  // frame of another size (the caption's font, the skin) is fitted again so that it stays whole.
  const bool resized =
      (rect.right - rect.left != frame.Width()) || (rect.bottom - rect.top != frame.Height());
  if (!error && resized) KeepOnScreen();
}

// -- timers --------------------------------------------------------------------------------------

void TfrmVelaCountdownClock::tmrRefreshTimer() {
  // The chime is due whether or not the frame could be drawn.
  std::exception_ptr frame_problem;
  try {
    OnDrawWidget();
  } catch (...) {
    frame_problem = std::current_exception();
  }
  chimes_->CheckChime();
  if (frame_problem) std::rethrow_exception(frame_problem);
}

void TfrmVelaCountdownClock::tStartsTimer() {
  std::optional<SkinSize> skin;
  if (skin_.SkinBitmap()) skin = SkinSize{skin_.Width(), skin_.Height()};
  stars_.Tick(skin, random_);
}

void TfrmVelaCountdownClock::tFadeTimer() {
  player_->tFadeTimer();
}

// -- what the settings store sees ----------------------------------------------------------------

WindowPlacementData TfrmVelaCountdownClock::GetPlacement() {
  WindowPlacementData placement = ReadWindowPlacement(Handle());
  // A window put on screen in place of a stored position keeps that position in the settings
  // until the user moves it.
  placement.normalPosition = screen_keeper_.StoredRect(placement.normalPosition);
  return placement;
}

void TfrmVelaCountdownClock::SetPlacement(const WindowPlacementData& placement) {
  WindowPlacementData on_screen = placement;
  on_screen.normalPosition = screen_keeper_.Place(placement.normalPosition, MonitorWorkAreas());
  ApplyWindowPlacement(Handle(), on_screen);
}

void TfrmVelaCountdownClock::SetWindowState(WindowState) {
  // The widget has no sizing border and its size follows every frame, so a stored maximised
  // state shows it at its normal place like the normal state does.
}

WindowBounds TfrmVelaCountdownClock::CurrentBounds() {
  RECT rect{};
  if (!GetWindowRect(Handle(), &rect)) ThrowLastError("GetWindowRect");
  return WindowBounds{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

bool TfrmVelaCountdownClock::IsChecked(const std::string& item) {
  return EntryNamed(*PopupMenu1, item).checked();
}

void TfrmVelaCountdownClock::SetChecked(const std::string& item, bool checked) {
  EntryNamed(*PopupMenu1, item).SetChecked(checked);
}

void TfrmVelaCountdownClock::ReportError(const std::string& message) {
  report_.ShowError(ReportSource::kSettings, message);
}

std::int32_t TfrmVelaCountdownClock::FontSize() {
  return FontPointsFromHeight(font_.height, pixels_per_inch_);
}

void TfrmVelaCountdownClock::SetFontSize(std::int32_t points) {
  font_.height = FontHeightFromPoints(points, pixels_per_inch_);
}

bool TfrmVelaCountdownClock::Checked(const char* item_name) const {
  return EntryNamed(*PopupMenu1, item_name).checked();
}

// -- message dispatch ----------------------------------------------------------------------------

void TfrmVelaCountdownClock::Dispatch(ReportSource source, const std::function<void()>& handler) {
  report_.Guard(source, handler);
}

LRESULT TfrmVelaCountdownClock::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  // The tip sees the mouse first, as it would through a subclass; a mouse move then starts a drag.
  if (due_date_tip_) due_date_tip_->RelayMouseMessage(message, wparam, lparam);
  if (show_widget_message_ != 0 && message == show_widget_message_) {
    Dispatch(ReportSource::kWindowEvent, [this] { BringIntoView(); });
    return 0;
  }
  switch (message) {
    case WM_TIMER:
      switch (wparam) {
        case kRefreshTimer:
          Dispatch(ReportSource::kRefreshTick, [this] { tmrRefreshTimer(); });
          return 0;
        case kStarTimer:
          Dispatch(ReportSource::kStarTick, [this] { tStartsTimer(); });
          return 0;
        case kFadeTimer:
          Dispatch(ReportSource::kFadeTick, [this] { tFadeTimer(); });
          return 0;
      }
      break;
    case WM_MOUSEMOVE:
      Dispatch(ReportSource::kWindowEvent, [this] { FormMouseMove(); });
      return 0;
    case WM_CONTEXTMENU: {
      POINT at{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
      if (lparam == -1) GetCursorPos(&at);
      if (MenuItem* chosen = ChooseFromPopupMenu1(Handle(), at)) ClickMenuEntry(*chosen);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wparam) != WA_INACTIVE)
        Dispatch(ReportSource::kWindowEvent, [this] { FormActivate(); });
      break;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      info->ptMinTrackSize = POINT{kMinimumSide, kMinimumSide};
      return 0;
    }
    case ErrorReport::kShowReportsMessage:
      // An open menu's loop delivers this too; its reports wait until the menu has gone.
      if (menu_open_) {
        report_.PostponePending();
      } else {
        report_.ShowPending();
      }
      return 0;
    case WM_FONTCHANGE:
      // A font installed or removed may change how the same face name draws.
      painter_.ForgetFont();
      composer_.Invalidate();
      Dispatch(ReportSource::kFrameUpdate, [this] { OnDrawWidget(); });
      return 0;
    case WM_DISPLAYCHANGE:
      Dispatch(ReportSource::kWindowEvent, [this] { KeepOnScreen(); });
      break;
    case WM_SETTINGCHANGE:
      if (wparam == SPI_SETWORKAREA)
        Dispatch(ReportSource::kWindowEvent, [this] { KeepOnScreen(); });
      break;
    case WM_POWERBROADCAST:
      if (wparam == PBT_APMSUSPEND) {
        Dispatch(ReportSource::kWindowEvent, [this] { OnSuspend(); });
      } else if (wparam == PBT_APMRESUMEAUTOMATIC || wparam == PBT_APMRESUMESUSPEND) {
        Dispatch(ReportSource::kRefreshTick, [this] { OnClockJump(); });
      }
      return TRUE;
    case WM_TIMECHANGE:
      Dispatch(ReportSource::kRefreshTick, [this] { OnClockJump(); });
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
      visible_ = false;  // destruction has hidden the window
      KillTimer(Handle(), kRefreshTimer);
      KillTimer(Handle(), kStarTimer);
      tFade->SetEnabled(false);
      Dispatch(ReportSource::kSettings, [this] { FormStorage1->SaveOnDestroy(); });
      FormDestroy();
      // The tray icon goes with the window object, after the message loop: Exit can be chosen
      // from the icon's own menu, whose handler is still running here.
      MediaPlayer1->Close();
      due_date_tip_.reset();
      PostQuitMessage(0);
      return 0;
  }
  return DefaultHandling(message, wparam, lparam);
}

}  // namespace tindrel::win
