// The media player on the real media control interface. The clips come from the data folder:
// TINDREL_DATA_DIR when set (a Windows path, for example Z:\work\tindrel\data), otherwise the
// folder data two levels above the test executable (build/win-x64/ or build/win-x86/ in the source
// tree).

#include "sound/win32/media_player.h"

#include <gtest/gtest.h>
// clang-format off
#include <windows.h>
#include <mmsystem.h>  // needs the types of windows.h
// clang-format on

#include <cstdlib>
#include <string>

#include "base/error.h"
#include "base/win32/raii.h"
#include "base/win32/text_conversion.h"
#include "doubles/fake_media_device.h"
#include "sound/sound_player.h"
#include "sound/win32/mpvolume.h"
#include "sound/win32/window_fade_timer.h"
#include "support/data_dir.h"
#include "support/error_message.h"
#include "support/temp_folder.h"

namespace tindrel::win {
namespace {

using test::DataDir;

std::string SoundsDir() {
  return DataDir() + "\\sounds";
}

std::string ClipPath(const std::string& name) {
  return SoundsDir() + "\\" + name + ".mp3";
}

bool FileExists(const std::string& path) {
  return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The number of media devices this process has open.
DWORD OpenDeviceCount() {
  DWORD count = 0;
  MCI_SYSINFO_PARMSA parms{};
  parms.lpstrReturn = reinterpret_cast<LPSTR>(&count);
  parms.dwRetSize = sizeof count;
  const MCIERROR result =
      mciSendCommandA(MCI_ALL_DEVICE_ID, MCI_SYSINFO, MCI_SYSINFO_QUANTITY | MCI_SYSINFO_OPEN,
                      reinterpret_cast<DWORD_PTR>(&parms));
  EXPECT_EQ(result, 0u) << MciErrorText(result);
  return count;
}

// Waits (up to `limit_ms`) until the playing clip's position reaches `target_ms`.
std::uint32_t WaitForPosition(MediaPlayer& player, std::uint32_t target_ms, DWORD limit_ms) {
  const DWORD start = GetTickCount();
  std::uint32_t position = 0;
  while (GetTickCount() - start < limit_ms) {
    position = player.Position().value_or(0);
    if (position >= target_ms) break;
    Sleep(50);
  }
  return position;
}

class MciMediaPlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FileExists(ClipPath("JingleBells")))
        << "no clip at " << ClipPath("JingleBells") << "; set TINDREL_DATA_DIR";
  }
  MediaPlayer player;
};

TEST_F(MciMediaPlayer, OpensDefaultClipAndItsPositionAdvancesWhilePlaying) {
  player.Open(ClipPath("JingleBells"));
  ASSERT_TRUE(player.IsOpen());
  EXPECT_NE(player.DeviceId(), 0u);
  EXPECT_EQ(player.Position(), std::optional<std::uint32_t>(0));
  player.Play();
  const std::uint32_t after_a_while = WaitForPosition(player, 800, 5000);
  EXPECT_GE(after_a_while, 800u);
  EXPECT_LT(after_a_while, 17000u);
}

TEST_F(MciMediaPlayer, CloseReleasesTheDevice) {
  player.Open(ClipPath("JingleBells"));
  const MCIDEVICEID id = player.DeviceId();
  player.Play();
  player.Close();
  EXPECT_FALSE(player.IsOpen());
  EXPECT_EQ(player.Position(), std::nullopt);
  MCI_STATUS_PARMS parms{};
  parms.dwItem = MCI_STATUS_POSITION;
  EXPECT_EQ(mciSendCommandA(id, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM,
                            reinterpret_cast<DWORD_PTR>(&parms)),
            static_cast<MCIERROR>(MCIERR_INVALID_DEVICE_ID));
  player.Close();  // nothing open: nothing happens
  player.Open(ClipPath("JingleBells"));
  EXPECT_TRUE(player.IsOpen());
}

TEST_F(MciMediaPlayer, OpeningAnotherClipClosesTheFirst) {
  const DWORD before = OpenDeviceCount();
  player.Open(ClipPath("JingleBells"));
  EXPECT_EQ(OpenDeviceCount(), before + 1);
  player.Open(ClipPath("Carillon"));
  EXPECT_EQ(OpenDeviceCount(), before + 1);
  player.Close();
  EXPECT_EQ(OpenDeviceCount(), before);
}

TEST_F(MciMediaPlayer, PlayerClosesItsClipWhenDestroyed) {
  const DWORD before = OpenDeviceCount();
  {
    MediaPlayer scoped;
    scoped.Open(ClipPath("SleighBells"));
    scoped.Play();
    EXPECT_EQ(OpenDeviceCount(), before + 1);
  }
  EXPECT_EQ(OpenDeviceCount(), before);
}

TEST_F(MciMediaPlayer, MissingClipRaisesTheMediaControlText) {
  const std::string message = test::ErrorMessageOf([&] { player.Open(ClipPath("NoSuchClip")); });
  EXPECT_FALSE(message.empty());
  EXPECT_NE(message, "Unknown error code");
  std::cout << "[ info ] missing clip: " << message << "\n";
  EXPECT_FALSE(player.IsOpen());
}

TEST_F(MciMediaPlayer, StopWithNothingOpenRaisesNoDeviceOpen) {
  EXPECT_EQ(test::ErrorMessageOf([&] { player.Stop(); }), "No MCI device open");
}

TEST_F(MciMediaPlayer, QueriesWithNothingOpenReportFailure) {
  EXPECT_EQ(player.Position(), std::nullopt);
  EXPECT_EQ(player.GetVolume(), std::nullopt);
  EXPECT_NE(player.SetVolume(500), 0u);
}

TEST(MciErrorTexts, CodeWithoutTextIsUnknownErrorCode) {
  EXPECT_EQ(MciErrorText(9999), "Unknown error code");
  EXPECT_NE(MciErrorText(MCIERR_INVALID_DEVICE_ID), "Unknown error code");
}

// The clip's path reaches the device as it is: a folder named in scripts that no ANSI code page
// holds together (Greek letters and a snowflake) opens and plays like any other.
TEST_F(MciMediaPlayer, OpensAClipInAFolderNamedOutsideTheCodePage) {
  const test::TempFolder temp;
  const std::string folder = temp.File("\xCE\xA7\xCE\xB9\xCF\x8C\xCE\xBD\xCE\xB9 \xE2\x9D\x84");
  ASSERT_TRUE(CreateDirectoryW(Widen(folder).c_str(), nullptr));
  const std::string clip = folder + "\\JingleBells.mp3";
  ASSERT_TRUE(CopyFileW(Widen(ClipPath("JingleBells")).c_str(), Widen(clip).c_str(), TRUE));
  player.Open(clip);
  ASSERT_TRUE(player.IsOpen());
  player.Play();
  EXPECT_GE(WaitForPosition(player, 300, 5000), 300u);
  player.Close();  // the folder goes next
}

// Whether the device answers the volume commands decides how the fade learns the level. A device
// without the volume query (Wine's) is served by the level the player gave the clip, which the
// whole fade below shows on the real device; this test then says it was skipped.
TEST_F(MciMediaPlayer, VolumeCommandsOnThePlayingClip) {
  player.Open(ClipPath("JingleBells"));
  player.Play();
  const MCIERROR set = SetPlayerVolume(player, 300);
  const auto level = GetPlayerVolume(player);
  if (!level) {
    GTEST_SKIP() << "the device answers no volume query (setting the volume: "
                 << (set == 0 ? "ok" : MciErrorText(set)) << ")";
  }
  EXPECT_EQ(set, 0u) << MciErrorText(set);
  EXPECT_EQ(*level, 300);
}

// The whole chime on the real device, ticked at the fade interval: it swells, holds, falls and
// ends closed, also where the device cannot report its level.
TEST_F(MciMediaPlayer, DefaultClipFadeEndsClosedOnTheRealDevice) {
  test::FakeFadeTimer fade;
  SoundPlayer sound(player, fade, SoundsDir(), [] { return false; });
  sound.PlaySound();
  ASSERT_TRUE(fade.on);
  const DWORD start = GetTickCount();
  while (fade.on && GetTickCount() - start < 12000) {
    Sleep(FadeTimer::kIntervalMs);
    sound.OnFadeTick();
  }
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_FALSE(fade.on);
  EXPECT_FALSE(player.IsOpen());
  // Three seconds of swell and hold, then at least 56 falling ticks. Under Wine a Sleep can end a
  // millisecond or two before the tick count shows its full length, so two ticks' slack.
  EXPECT_GE(elapsed, 3000u + 54u * FadeTimer::kIntervalMs);
}

TEST_F(MciMediaPlayer, AClipThatPlaysToItsEndIsClosedAndLetsGoOfItsFile) {
  test::FakeFadeTimer fade;
  SoundPlayer sound(player, fade, SoundsDir(), [] { return false; });
  sound.SetSoundName("SleighBells");
  sound.PlaySound();
  EXPECT_FALSE(fade.on) << "a clip that does not fade starts no fade timer";
  const DWORD start = GetTickCount();
  MSG message;
  while (player.IsOpen() && GetTickCount() - start < 20000) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(20);
  }
  EXPECT_FALSE(player.IsOpen()) << "still open " << GetTickCount() - start << " ms after its start";
  // Nothing holds the file any more: it can be replaced.
  const std::wstring clip = Widen(ClipPath("SleighBells"));
  const HANDLE file =
      CreateFileW(clip.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

TEST(WindowFadeTimer, EnabledTimerDeliversTicksToItsWindow) {
  ScopedWindow window(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(window);
  WindowFadeTimer timer(window.get(), 7);
  timer.SetEnabled(true);
  EXPECT_TRUE(timer.Enabled());
  const DWORD start = GetTickCount();
  bool ticked = false;
  MSG message;
  while (!ticked && GetTickCount() - start < 3000) {
    if (PeekMessageW(&message, window.get(), WM_TIMER, WM_TIMER, PM_REMOVE)) {
      ticked = message.wParam == timer.Id();
    } else {
      Sleep(5);
    }
  }
  EXPECT_TRUE(ticked);
  timer.SetEnabled(false);
  EXPECT_FALSE(timer.Enabled());
  EXPECT_FALSE(KillTimer(window.get(), timer.Id()));  // already gone
}

}  // namespace
}  // namespace tindrel::win
