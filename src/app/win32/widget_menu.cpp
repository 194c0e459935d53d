#include "app/win32/widget_menu.h"

#include <utility>

#include "app/win32/popup_menu.h"
#include "base/error.h"
#include "base/file_system.h"

namespace tindrel::win {

WidgetMenu::WidgetMenu(ErrorReport& report, std::string program_folder)
    : report_(report), program_folder_(std::move(program_folder)), root_(BuildPopupMenu()) {}

MenuItem* WidgetMenu::Choose(HWND owner, POINT screen_point, const std::string& skin_name,
                             const std::string& sound_name, const std::function<bool()>& may_open) {
  if (open_ || !may_open()) return nullptr;
  open_ = true;
  struct MenuClosed {
    bool& open;
    ErrorReport& report;
    ~MenuClosed() {
      open = false;
      report.PostPending();  // what was held back while the menu was open
    }
  } closed{open_, report_};
  std::vector<std::string> problems;
  if (!report_.Guard(ReportSource::kMenuCommand,
                     [&] { problems = RebuildLists(skin_name, sound_name); })) {
    return nullptr;
  }
  ReportListProblems(problems);
  if (report_.HasPending()) {
    // The lists are complete: what was found on the way is told before the menu opens. The box's
    // own loop may have closed the program meanwhile.
    report_.ShowPending();
    if (!may_open()) return nullptr;
  }
  MenuItem* chosen = nullptr;
  report_.Guard(ReportSource::kMenuCommand,
                [&] { chosen = ShowPopupMenu(*root_, owner, screen_point); });
  return chosen;
}

std::vector<std::string> WidgetMenu::RebuildLists(const std::string& skin_name,
                                                  const std::string& sound_name) {
  std::vector<std::string> problems;
  // A folder that cannot be listed gives an empty list: the menu, and Exit in it, still opens.
  const auto list = [&](const std::string& name, const char* extension) {
    try {
      return ListFolderFiles(program_folder_ + name, extension);
    } catch (const Error& error) {
      problems.push_back(error.what());
      return std::vector<std::string>{};
    }
  };
  MenuListSources sources;
  sources.skin_files = list("skins", ".png");
  sources.sound_files = list("sounds", ".mp3");
  sources.skin_name = skin_name;
  sources.sound_name = sound_name;
  for (std::string& problem : RebuildMenuLists(*root_, sources)) {
    problems.push_back(std::move(problem));
  }
  return problems;
}

void WidgetMenu::ReportListProblems(const std::vector<std::string>& problems) {
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

}  // namespace tindrel::win
