#include "app/win32/error_report.h"

#include <exception>

#include "app/error.h"
#include "app/win32/raii.h"

namespace tindrel::win {

bool ErrorReport::Guard(ReportSource source, const std::function<void()>& handler) {
  try {
    handler();
    return true;
  } catch (const std::bad_alloc&) {
    ShowError(source, "Out of memory");
  } catch (const std::exception& error) {
    ShowError(source, error.what());
  }
  return false;
}

void ErrorReport::ShowError(ReportSource source, const std::string& message) {
  ShowBox(source, WithFullStop(message), caption_, MB_OK | MB_ICONSTOP);
}

void ErrorReport::ShowSystemError(ReportSource source, DWORD code) {
  // The plain box of a failed window call carries no icon and the application's title.
  ShowBox(source, SystemErrorText(code), caption_, MB_OK);
}

void ErrorReport::ShowBox(ReportSource source, const std::string& text,
                          const std::string& caption, UINT style) {
  if (!open_.insert(source).second) return;  // this source already has a box on screen
  // Timers keep firing inside the box's modal loop; the entry above keeps them from stacking.
  MessageBoxW(owner_ && IsWindow(owner_) ? owner_ : nullptr, Widen(text).c_str(),
              Widen(caption).c_str(), style | MB_SETFOREGROUND);
  open_.erase(source);
}

}  // namespace tindrel::win
