#include "app/win32/single_instance.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <string>

#include "settings/win32/window_placement.h"

namespace tindrel::win {
namespace {

TEST(SingleInstance, SecondLockOfTheSameUserFindsTheFirst) {
  const SingleInstanceLock first;
  EXPECT_FALSE(first.AlreadyRunning());
  {
    const SingleInstanceLock second;
    EXPECT_TRUE(second.AlreadyRunning());
  }
  EXPECT_FALSE(first.AlreadyRunning());
}

TEST(SingleInstance, LockIsFreeAgainOnceTheHolderHasGone) {
  { const SingleInstanceLock gone; }
  const SingleInstanceLock next;
  EXPECT_FALSE(next.AlreadyRunning());
}

TEST(SingleInstance, AMutexThisUserMayNotOpenIsAWidgetRunningWithOtherRights) {
  // As a widget started as administrator holds it: its security lets a normal start in no way.
  const std::wstring sid = ProcessUserSid(GetCurrentProcess());
  const std::wstring denied = L"D:P(D;;GA;;;" + sid + L")";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(denied.c_str(), SDDL_REVISION_1,
                                                                   &descriptor, nullptr));
  const ScopedLocalMemory owned(descriptor);
  SECURITY_ATTRIBUTES security{sizeof(security), descriptor, FALSE};
  const ScopedKernelHandle elevated(
      CreateMutexW(&security, FALSE, (kWidgetMutexPrefix + sid).c_str()));
  ASSERT_TRUE(elevated);
  ASSERT_FALSE(
      ScopedKernelHandle(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, (kWidgetMutexPrefix + sid).c_str())))
      << "the mutex must deny this user";

  const SingleInstanceLock normal_start;
  EXPECT_TRUE(normal_start.AlreadyRunning());
}

TEST(SingleInstance, UserOfThisProcessIsASecurityIdentifier) {
  const std::wstring sid = ProcessUserSid(GetCurrentProcess());
  EXPECT_EQ(sid.rfind(L"S-1-", 0), 0u) << std::string(sid.begin(), sid.end());
}

TEST(SingleInstance, ShowMessageIsOneRegisteredMessage) {
  const UINT message = ShowWidgetMessage();
  EXPECT_GE(message, 0xC000u);
  EXPECT_EQ(message, RegisterWindowMessageW(L"Tindrel.ShowWidget"));
}

TEST(SingleInstance, NoRunningWidgetOfThisUserIsFoundInTime) {
  const DWORD started = GetTickCount();
  EXPECT_FALSE(ShowRunningWidget(L"TindrelNoSuchWidgetClass", 300));
  EXPECT_GE(GetTickCount() - started, 250u);
}

TEST(MonitorWorkAreas, EveryMonitorHasAWorkAreaInsideTheVirtualScreen) {
  const std::vector<PlacementRect> areas = MonitorWorkAreas();
  ASSERT_FALSE(areas.empty());
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  for (const PlacementRect& area : areas) {
    EXPECT_LT(area.left, area.right);
    EXPECT_LT(area.top, area.bottom);
    EXPECT_GE(area.left, left);
    EXPECT_GE(area.top, top);
    EXPECT_LE(area.right, left + GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_LE(area.bottom, top + GetSystemMetrics(SM_CYVIRTUALSCREEN));
  }
}

}  // namespace
}  // namespace tindrel::win
