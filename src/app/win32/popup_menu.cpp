#include "app/win32/popup_menu.h"

#include <string>
#include <utility>

#include "base/error.h"
#include "base/win32/last_error.h"
#include "base/win32/text_conversion.h"
#include "base/win32/window_subclass.h"

namespace tindrel::win {
namespace {

// Gives each (sub)menu its accelerators as the system opens it, before it is measured and drawn.
void PrepareOnOpen(HWND, UINT message, WPARAM wparam, LPARAM, DWORD_PTR view_data) {
  if (message == WM_INITMENUPOPUP) {
    auto* view = reinterpret_cast<PopupMenuView*>(view_data);
    try {
      view->PrepareToOpen(reinterpret_cast<HMENU>(wparam));
    } catch (...) {
      view->KeepError(std::current_exception());
    }
  }
}

}  // namespace

PopupMenuView::PopupMenuView(MenuItem& root) : menu_(BuildLevel(root)) {}

ScopedMenu PopupMenuView::BuildLevel(MenuItem& model) {
  ScopedMenu menu(CreatePopupMenu());
  if (!menu) ThrowLastError("CreatePopupMenu");
  Level level{menu.get(), &model, VisibleEntries(model)};
  for (UINT position = 0; position < level.shown.size(); ++position) {
    InsertEntry(menu.get(), position, *level.shown[position]);
  }
  levels_.push_back(std::move(level));
  return menu;
}

void PopupMenuView::InsertEntry(HMENU menu, UINT position, MenuItem& entry) {
  commands_.push_back(&entry);
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
  info.wID = static_cast<UINT>(commands_.size());
  if (entry.IsSeparator()) {
    info.fType = MFT_SEPARATOR;
    if (!InsertMenuItemW(menu, position, TRUE, &info)) {
      ThrowLastError("InsertMenuItemW");
    }
    return;
  }
  std::wstring caption = Widen(entry.caption);
  info.fMask |= MIIM_STRING;
  info.fType = MFT_STRING | (entry.radio ? MFT_RADIOCHECK : 0u);
  info.fState =
      (entry.checked() ? MFS_CHECKED : MFS_UNCHECKED) | (entry.is_default ? MFS_DEFAULT : 0u);
  info.dwTypeData = caption.data();
  ScopedMenu submenu;
  if (entry.HasSubmenu()) {
    submenu = BuildLevel(entry);
    info.fMask |= MIIM_SUBMENU;
    info.hSubMenu = submenu.get();
  }
  if (!InsertMenuItemW(menu, position, TRUE, &info)) {
    ThrowLastError("InsertMenuItemW");
  }
  // The parent menu destroys its submenus with itself.
  submenu.release();
}

bool PopupMenuView::PrepareToOpen(HMENU menu) {
  for (const Level& level : levels_) {
    if (level.handle != menu) continue;
    AssignAccelerators(*level.model);
    WriteCaptions(level);
    return true;
  }
  return false;
}

void PopupMenuView::PrepareAll() {
  for (const Level& level : levels_) PrepareToOpen(level.handle);
}

void PopupMenuView::WriteCaptions(const Level& level) {
  for (UINT position = 0; position < level.shown.size(); ++position) {
    const MenuItem& entry = *level.shown[position];
    if (entry.IsSeparator()) continue;
    std::wstring caption = Widen(entry.caption);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = caption.data();
    if (!SetMenuItemInfoW(level.handle, position, TRUE, &info)) {
      ThrowLastError("SetMenuItemInfoW");
    }
  }
}

MenuItem* PopupMenuView::ItemForCommand(UINT command_id) const {
  if (command_id == 0 || command_id > commands_.size()) return nullptr;
  return commands_[command_id - 1];
}

void PopupMenuView::RethrowKeptError() {
  if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
}

MenuItem* ShowPopupMenu(MenuItem& root, HWND owner, POINT screen_point) {
  PopupMenuView view(root);
  UINT chosen = 0;
  {
    ScopedWindowSubclass watch(owner, PrepareOnOpen, reinterpret_cast<DWORD_PTR>(&view));
    if (!watch.installed()) view.PrepareAll();
    chosen = static_cast<UINT>(TrackPopupMenuEx(view.Handle(), TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                screen_point.x, screen_point.y, owner, nullptr));
  }
  view.RethrowKeptError();
  return view.ItemForCommand(chosen);
}

}  // namespace tindrel::win
