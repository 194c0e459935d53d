// What the commands of the widget's menu and of its tray icon do.
#include <string>

#include "app/countdown.h"
#include "app/win32/font_chooser.h"
#include "app/win32/main_window.h"
#include "app/win32/window_actions.h"
#include "base/stored_names.h"
#include "shell/web_links.h"

namespace tindrel::win {
namespace {

// The commands that change nothing the settings keep: links, showing or hiding (which saves or
// loads by itself) and Exit (whose close saves).
bool ChangesAChoice(MenuCommand command) {
  switch (command) {
    case MenuCommand::kAbout:
    case MenuCommand::kTellAFriend:
    case MenuCommand::kDownloadGlobe:
    case MenuCommand::kDownloadWreath:
    case MenuCommand::kShowHide:
    case MenuCommand::kExit:
      return false;
    default:
      return true;
  }
}

}  // namespace

TrayIcon::Handlers MainWindow::TrayHandlers() {
  return TrayIcon::Handlers{
      [this](const TrayClick&) {
        if (closing_) return;
        ReownToDesktop(Handle());
        SetVisible(!Visible());
      },
      [this](HWND owner, POINT at) -> std::function<void()> {
        MenuItem* chosen = ChooseFromMenu(owner, at);
        if (!chosen) return {};
        return [this, chosen] { ClickMenuEntry(*chosen); };
      },
      [this] { ClickMenuEntry(menu_.Entry(item_names::kShowHide)); },
      [this](const std::string& message) { report_.ShowError(ReportSource::kTrayIcon, message); },
  };
}

MenuItem* MainWindow::ChooseFromMenu(HWND owner, POINT screen_point) {
  return menu_.Choose(owner, screen_point, skin_.SkinName(), sound_->Player().SoundName(),
                      [this] { return !closing_ && Handle(); });
}

void MainWindow::ClickMenuEntry(MenuItem& entry) {
  if (closing_) return;
  const bool changes_a_choice = ChangesAChoice(entry.command);
  report_.Guard(ReportSource::kMenuCommand, [&] {
    ApplyAutoCheck(entry);
    RunMenuCommand(entry);
  });
  // A chime choice made from the tray menu while the widget is hidden moves the next slot.
  report_.Guard(ReportSource::kMenuCommand, [this] { ArmChimeTimer(); });
  // Also after a command that failed half-way: a sound that cannot play is still the one chosen.
  if (changes_a_choice) StoreChoices();
}

void MainWindow::RunMenuCommand(MenuItem& entry) {
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
      ToggleVisible();
      break;
    case MenuCommand::kDueDate:
      ChooseDueDate(entry);
      break;
    case MenuCommand::kSelectSkin:
      SelectSkin(entry.name);
      break;
    case MenuCommand::kSelectSound:
      SelectSound(entry.name);
      break;
    case MenuCommand::kFont:
      ChooseCaptionFont(Handle(), font_);
      break;
    case MenuCommand::kStartup:
      settings_->ApplyStartWithSystem();
      break;
    case MenuCommand::kOnTop:
      SetAlwaysOnTop(Handle(), menu_.Checked(item_names::kAlwaysOnTop));
      break;
    case MenuCommand::kDisplayShadow:
      Redraw();
      break;
    case MenuCommand::kExit:
      CloseWidget(CloseRequest::kByUser);
      break;
  }
}

void MainWindow::ToggleVisible() {
  SetVisible(!Visible());
}

void MainWindow::SelectSkin(const std::string& name) {
  skin_.LoadSkin(name);
  stars_.Reset();
  Redraw();
}

void MainWindow::SelectSound(const std::string& name) {
  sound_->Player().SetSoundName(name);
  sound_->Player().PlaySound();
  Redraw();
}

void MainWindow::ChooseDueDate(const MenuItem& entry) {
  const DueDateApplication applied = ApplyDueDate(entry.caption, entry.tag, CurrentInstant(clock_));
  const std::wstring tip(applied.tip_text.begin(), applied.tip_text.end());
  due_date_tip_->AttachDueDateTip(kDueDateTipTitle, tip, kDueDateTipBackColor,
                                  kDueDateTipTextColor);
  target_ = applied.target;
}

}  // namespace tindrel::win
