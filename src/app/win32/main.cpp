// Program start: the application object, its title, its hidden own window, the main window, and
// the message loop that runs until the main window is closed.
#include <windows.h>

#include "app/error.h"
#include "app/win32/application.h"
#include "app/win32/error_report.h"
#include "app/win32/main_window.h"
#include "app/win32/raii.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace tindrel::win;
  ErrorReport report(kApplicationTitle);
  try {
    Application application(instance);
    application.SetTitle(kApplicationTitle);
    application.HideFromTaskbar();
    TfrmVelaCountdownClock frmVelaCountdownClock(application, report);
    frmVelaCountdownClock.SetVisible(true);
    const int exit_code = application.RunMessageLoop();
    // What the closing window found (a save that failed) and could no longer show.
    report.SetOwner(nullptr);
    report.ShowPending();
    return exit_code;
  } catch (const std::exception& error) {
    report.ShowError(ReportSource::kStartUp, error.what());
    return 1;
  }
}
