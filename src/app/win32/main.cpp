// Program start: the application object, its title, its hidden own window, the main window, and
// the message loop that runs until the main window is closed.
#include <windows.h>

#include "app/win32/application.h"
#include "app/win32/error_report.h"
#include "app/win32/main_window.h"
#include "app/win32/single_instance.h"
#include "base/error.h"

namespace {

// How long a second start waits for the running widget's window: the first start may still be
// coming up (the start-at-logon entry and a double click at the same moment).
constexpr DWORD kRunningWidgetPatienceMs = 10000;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace tindrel::win;
  ErrorReport report(kApplicationTitle);
  // Held until the program ends, so that every later start of the same user finds it.
  const SingleInstanceLock instance_lock;
  if (instance_lock.AlreadyRunning()) {
    // A second widget would be a second tray icon and a second writer of the same settings; the
    // user asked to see the widget, and the running one shows itself.
    ShowRunningWidget(kMainWindowClass, kRunningWidgetPatienceMs);
    return 0;
  }
  try {
    Application application(instance);
    application.SetTitle(kApplicationTitle);
    application.HideFromTaskbar();
    MainWindow main_window(application, report);
    main_window.SetVisible(true);
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
