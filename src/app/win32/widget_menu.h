#pragma once
// The widget's one popup menu, opened over the widget or over its tray icon: before each opening
// the skin and sound lists are rebuilt from their folders, and what was found wrong on the way is
// told once; an opening while the menu is open is refused.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/menu_model.h"
#include "app/win32/error_report.h"

namespace tindrel::win {

class WidgetMenu {
 public:
  // `program_folder` holds the skins/ and sounds/ folders the lists are read from.
  WidgetMenu(ErrorReport& report, std::string program_folder);

  MenuItem& Root() { return *root_; }
  // A fixed entry by its name; throws tindrel::Error when there is none.
  MenuItem& Entry(const std::string& name) const { return EntryNamed(*root_, name); }
  bool Checked(const std::string& name) const { return Entry(name).checked(); }

  // True while the menu is open: the menu's own loop still delivers the tray icon's messages.
  bool IsOpen() const { return open_; }

  // Rebuilds the lists around the current skin and sound and shows the menu at a point on the
  // screen. Returns the chosen entry, or null when the menu did not open or nothing was chosen.
  // `may_open` is asked before the menu opens and again after a report shown before it.
  MenuItem* Choose(HWND owner, POINT screen_point, const std::string& skin_name,
                   const std::string& sound_name, const std::function<bool()>& may_open);

 private:
  // Returns the problems found on the way (files with names that cannot be menu entries, a
  // folder that cannot be listed).
  std::vector<std::string> RebuildLists(const std::string& skin_name,
                                        const std::string& sound_name);
  // Reports the problems of an opening in one box, only when they differ from the last ones.
  void ReportListProblems(const std::vector<std::string>& problems);

  ErrorReport& report_;
  std::string program_folder_;
  std::unique_ptr<MenuItem> root_;
  bool open_ = false;
  std::vector<std::string> reported_list_problems_;
};

}  // namespace tindrel::win
