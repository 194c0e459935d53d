#include "app/win32/system_clock.h"

#include <windows.h>

namespace tindrel::win {

LocalTimeParts SystemClock::NowParts() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return LocalTimeParts{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                        now.wMinute, now.wSecond, now.wMilliseconds};
}

}  // namespace tindrel::win
