#pragma once
// Shows the popup-menu model as a Windows popup menu: a fresh menu is built from the model for
// every showing and destroyed after it, so the menu always matches the model's entries and marks.

#include <windows.h>

#include <exception>
#include <utility>
#include <vector>

#include "app/menu_model.h"
#include "base/win32/raii.h"

namespace tindrel::win {

// One rendering of the model: the shown entries of every (sub)menu, with command identifiers that
// lead back to the model entries.
class PopupMenuView {
 public:
  // Throws tindrel::Error when the system cannot make the menu.
  explicit PopupMenuView(MenuItem& root);

  HMENU Handle() const { return menu_.get(); }

  // Called as a (sub)menu of this view is about to open: gives its entries their accelerator
  // letters in the model and writes the new captions into the Windows menu. Returns false for a
  // menu that is not part of this view.
  bool PrepareToOpen(HMENU menu);
  // Prepares every (sub)menu at once, for owners whose open notifications cannot be watched.
  void PrepareAll();

  // The model entry of a command identifier; null for 0 (nothing chosen) or an unknown one.
  MenuItem* ItemForCommand(UINT command_id) const;

  // An error raised while preparing a menu inside the system's menu loop, kept to be rethrown
  // once the loop has returned.
  void KeepError(std::exception_ptr error) { error_ = std::move(error); }
  void RethrowKeptError();

 private:
  struct Level {
    HMENU handle;
    MenuItem* model;
    std::vector<MenuItem*> shown;
  };

  ScopedMenu BuildLevel(MenuItem& model);
  void InsertEntry(HMENU menu, UINT position, MenuItem& entry);
  void WriteCaptions(const Level& level);

  std::vector<Level> levels_;
  std::vector<MenuItem*> commands_;  // identifier = index + 1
  ScopedMenu menu_;
  std::exception_ptr error_;
};

// Shows the menu at a point on the screen for an owner window of the calling thread and returns
// the chosen entry, or null when the menu was dismissed. Accelerators are assigned as each
// (sub)menu opens. The caller applies the click rules and runs the entry's command.
MenuItem* ShowPopupMenu(MenuItem& root, HWND owner, POINT screen_point);

}  // namespace tindrel::win
