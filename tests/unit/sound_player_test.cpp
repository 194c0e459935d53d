#include "sound/sound_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/error.h"
#include "doubles/fake_media_device.h"
#include "support/error_message.h"

namespace tindrel {
namespace {

using test::FakeFadeTimer;
using test::FakeMediaDevice;

constexpr std::uint32_t kTickMs = 30;

class SoundPlayerTest : public ::testing::Test {
 protected:
  // One fade tick, then the clip plays on for one timer interval (up to its length).
  void Tick() {
    player.OnFadeTick();
    if (device.open) device.position = std::min(device.position + kTickMs, clip_length_ms);
  }

  // Ticks while the fade runs (at most `limit`), returning the level after each tick.
  std::vector<int> TickUntilFadeEnds(int limit = 5000) {
    std::vector<int> levels;
    for (int i = 0; i < limit && fade.on; ++i) {
      Tick();
      levels.push_back(device.level);
    }
    return levels;
  }

  std::vector<std::string> LogSince(size_t start) const {
    return {device.log.begin() + static_cast<std::ptrdiff_t>(start), device.log.end()};
  }

  FakeMediaDevice device;
  FakeFadeTimer fade;
  bool never = false;
  std::uint32_t clip_length_ms = 15000;
  SoundPlayer player{device, fade, "C:\\Tindrel\\sounds", [this] { return never; }};
};

// The trace of a long default clip: six rises, the hold, then 56 falls.
std::vector<int> ExpectedDefaultClipLevels() {
  std::vector<int> levels = {10, 20, 30, 40, 50, 60};
  // Ticks at positions 180 .. 3000 ms hold the ceiling.
  levels.insert(levels.end(), (3000 - 180) / kTickMs + 1, 60);
  for (int level = 59; level >= 4; --level) levels.push_back(level);
  return levels;
}

TEST_F(SoundPlayerTest, ClipPathIsSoundsFolderNameAndMp3Extension) {
  EXPECT_EQ(player.SoundName(), "JingleBells");
  EXPECT_EQ(player.ClipPath(), "C:\\Tindrel\\sounds\\JingleBells.mp3");
  player.SetSoundName("Carillon");
  EXPECT_EQ(player.ClipPath(), "C:\\Tindrel\\sounds\\Carillon.mp3");
  SoundPlayer with_separator{device, fade, "C:\\x\\sounds\\", [] { return false; }};
  EXPECT_EQ(with_separator.ClipPath(), "C:\\x\\sounds\\JingleBells.mp3");
}

TEST_F(SoundPlayerTest, StartClosesOpensSilencesPlaysAndEnablesFade) {
  player.PlaySound();
  EXPECT_EQ(device.log, (std::vector<std::string>{"Open C:\\Tindrel\\sounds\\JingleBells.mp3",
                                                  "SetVolume 0", "Play"}));
  EXPECT_TRUE(fade.on);
  device.position = 1000;
  player.PlaySound();
  EXPECT_EQ(LogSince(3),
            (std::vector<std::string>{"Close", "Open C:\\Tindrel\\sounds\\JingleBells.mp3",
                                      "SetVolume 0", "Play"}));
}

TEST_F(SoundPlayerTest, DefaultClipRisesHoldsFallsThenStopsAndCloses) {
  player.PlaySound();
  const auto levels = TickUntilFadeEnds();
  EXPECT_EQ(levels, ExpectedDefaultClipLevels());
  const auto last_held = std::find(levels.rbegin(), levels.rend(), 60);
  EXPECT_EQ(last_held - levels.rbegin(), 56);  // falling ticks
  EXPECT_FALSE(fade.on);
  EXPECT_FALSE(device.open);
  const std::vector<std::string> ending = {"SetVolume 4", "Stop", "Close"};
  EXPECT_TRUE(std::equal(ending.begin(), ending.end(), device.log.end() - 3));
}

TEST_F(SoundPlayerTest, EndClipStopsAndClosesAFadingClipAndTheNextChimeStartsAfresh) {
  player.PlaySound();
  for (int i = 0; i < 50; ++i) Tick();  // holding at 60
  player.EndClip();
  EXPECT_EQ(LogSince(device.log.size() - 2), (std::vector<std::string>{"Stop", "Close"}));
  EXPECT_FALSE(device.open);
  EXPECT_FALSE(fade.on);
  const size_t ended = device.log.size();
  Tick();  // a tick already queued when the clip ended
  EXPECT_EQ(device.log.size(), ended);
  player.PlaySound();
  EXPECT_EQ(LogSince(ended), (std::vector<std::string>{"Open C:\\Tindrel\\sounds\\JingleBells.mp3",
                                                       "SetVolume 0", "Play"}));
  EXPECT_EQ(TickUntilFadeEnds(), ExpectedDefaultClipLevels());
}

TEST_F(SoundPlayerTest, EndClipWithNothingOpenOnlyStopsTheFade) {
  player.SetSoundName("SleighBells");
  device.open_error = "The specified file was not found";
  fade.on = true;  // still on from a clip before the failed open
  EXPECT_THROW(player.PlaySound(), Error);
  const size_t before = device.log.size();
  EXPECT_NO_THROW(player.EndClip());
  EXPECT_EQ(device.log.size(), before);
  EXPECT_FALSE(fade.on);
}

TEST_F(SoundPlayerTest, DefaultClipPastHoldBeforeCeilingFallsFromWhereItIs) {
  player.PlaySound();
  Tick();
  Tick();  // level 20
  device.position = 3001;
  Tick();
  EXPECT_EQ(device.level, 19);
}

// At exactly 3000 ms a quiet clip is neither early enough to rise (rising needs a position below
// 3000) nor past the hold (falling needs one above 3000): its level stays where it is. One
// millisecond either side it moves again.
TEST_F(SoundPlayerTest, QuietDefaultClipAtExactlyThreeSecondsNeitherRisesNorFalls) {
  player.PlaySound();
  player.OnFadeTick();
  player.OnFadeTick();  // 0 + 10 + 10
  ASSERT_EQ(device.level, 20);
  device.position = 3000;
  const auto logged = device.log.size();
  for (int i = 0; i < 5; ++i) player.OnFadeTick();
  EXPECT_EQ(device.level, 20);
  EXPECT_EQ(device.log.size(), logged);  // not even the same level written again
  EXPECT_TRUE(device.open);
  EXPECT_TRUE(fade.on);

  device.position = 2999;
  player.OnFadeTick();
  EXPECT_EQ(device.level, 30);  // still early: 20 + 10
  device.position = 3001;
  player.OnFadeTick();
  EXPECT_EQ(device.level, 29);  // past the hold: 30 - 1
}

TEST_F(SoundPlayerTest, OtherClipPlaysAt700WithoutAFadeTimerAndIsClosedAtItsEnd) {
  player.SetSoundName("SleighBells");
  player.PlaySound();
  EXPECT_EQ(device.log, (std::vector<std::string>{"Open C:\\Tindrel\\sounds\\SleighBells.mp3",
                                                  "SetVolume 700", "Play"}));
  EXPECT_FALSE(fade.on) << "a clip that does not fade wakes nothing";
  device.position = 20000;
  device.PlayToTheEnd();
  EXPECT_EQ(device.level, 700);
  EXPECT_FALSE(device.open) << "the file is let go at the clip's end";
}

TEST_F(SoundPlayerTest, NameDifferingOnlyInCaseIsNotTheDefaultClip) {
  player.SetSoundName("jinglebells");
  player.PlaySound();
  EXPECT_EQ(device.log, (std::vector<std::string>{"Open C:\\Tindrel\\sounds\\jinglebells.mp3",
                                                  "SetVolume 700", "Play"}));
  for (int i = 0; i < 1000; ++i) Tick();
  EXPECT_EQ(device.level, 700);
  EXPECT_TRUE(device.open);
}

TEST_F(SoundPlayerTest, NeverKeepsChosenSoundSilentAndLeavesPlayingClipAlone) {
  player.PlaySound();
  Tick();
  Tick();
  never = true;
  player.SetSoundName("Carillon");
  const auto logged = device.log.size();
  player.PlaySound();
  EXPECT_EQ(device.log.size(), logged);
  EXPECT_TRUE(device.open);
  EXPECT_FALSE(fade.on) << "the default clip plays on at its level, with nothing to fade it";
  EXPECT_EQ(player.SoundName(), "Carillon");
}

TEST_F(SoundPlayerTest, NeverWithNothingPlayingLeavesFadeOff) {
  never = true;
  player.PlaySound();
  EXPECT_TRUE(device.log.empty());
  EXPECT_FALSE(fade.on);
}

TEST_F(SoundPlayerTest, ChoosingDefaultWhileItPlaysRestartsFromSilence) {
  player.PlaySound();
  while (device.position < 1500) Tick();
  ASSERT_EQ(device.level, 60);
  player.PlaySound();
  EXPECT_EQ(device.position, 0u);
  EXPECT_EQ(device.level, 0);
  Tick();
  EXPECT_EQ(device.level, 10);
  EXPECT_EQ(TickUntilFadeEnds().size() + 1, ExpectedDefaultClipLevels().size());
}

TEST_F(SoundPlayerTest, ChimeDuringLongClipClosesItAndStartsCurrentSound) {
  player.SetSoundName("Carillon");
  player.PlaySound();
  device.position = 8000;
  player.SetSoundName("JingleBells");
  player.PlaySound();
  EXPECT_EQ(LogSince(3),
            (std::vector<std::string>{"Close", "Open C:\\Tindrel\\sounds\\JingleBells.mp3",
                                      "SetVolume 0", "Play"}));
}

TEST_F(SoundPlayerTest, DefaultClipShorterThanHoldIsClosedWhenItEndsAndItsFadeStops) {
  clip_length_ms = 2500;
  player.PlaySound();
  for (int i = 0; i < 200; ++i) Tick();
  EXPECT_EQ(device.position, 2500u);
  EXPECT_EQ(device.level, 60);
  EXPECT_TRUE(fade.on) << "the position never passes the hold: only its end ends it";
  device.PlayToTheEnd();
  EXPECT_FALSE(device.open);
  EXPECT_FALSE(fade.on);
}

TEST_F(SoundPlayerTest, DefaultChosenWhileOtherClipPlaysFadesItFrom700) {
  player.SetSoundName("Carillon");
  player.PlaySound();
  never = true;
  player.SetSoundName("JingleBells");
  player.PlaySound();  // silent: "Never" is checked
  const auto levels = TickUntilFadeEnds();
  // Held at 700 until the position passes 3000 ms, then one step a tick down to 4.
  ASSERT_EQ(levels.size(), 101u + 696u);
  EXPECT_TRUE(std::all_of(levels.begin(), levels.begin() + 101, [](int v) { return v == 700; }));
  EXPECT_EQ(levels[101], 699);
  EXPECT_EQ(levels.back(), 4);
  EXPECT_FALSE(device.open);
  EXPECT_FALSE(fade.on);
}

TEST_F(SoundPlayerTest, OtherChosenWhileDefaultFadesLeavesItPlayingAtItsLevel) {
  player.PlaySound();
  Tick();
  Tick();
  Tick();  // level 30
  never = true;
  player.SetSoundName("Carillon");
  player.PlaySound();
  const auto logged = device.log.size();
  EXPECT_FALSE(fade.on);
  for (int i = 0; i < 1000; ++i) Tick();
  EXPECT_EQ(device.log.size(), logged);
  EXPECT_EQ(device.level, 30);
  EXPECT_TRUE(device.open);
  // The default chosen again before its end: its fade goes on from where it is.
  player.SetSoundName("JingleBells");
  EXPECT_TRUE(fade.on);
}

TEST_F(SoundPlayerTest, FailedOpenRaisesMediaTextAndKeepsLevelFadeAndName) {
  player.PlaySound();
  for (int i = 0; i < 8; ++i) Tick();
  ASSERT_EQ(device.level, 60);
  player.SetSoundName("Missing");
  device.open_error = "The specified file was not found or is not valid";
  EXPECT_EQ(test::ErrorMessageOf([&] { player.PlaySound(); }),
            "The specified file was not found or is not valid");
  EXPECT_EQ(LogSince(device.log.size() - 3),
            (std::vector<std::string>{"Close", "Open C:\\Tindrel\\sounds\\Missing.mp3",
                                      "Open C:\\Tindrel\\sounds\\JingleBells.mp3"}))
      << "the default clip is tried in its place";
  EXPECT_FALSE(device.open);
  EXPECT_EQ(device.level, 60);
  EXPECT_FALSE(fade.on) << "stopped when a sound that does not fade became current";
  EXPECT_EQ(player.SoundName(), "Missing");
}

TEST_F(SoundPlayerTest, AClipThatCannotBeOpenedGivesWayToTheDefaultClipAndIsReportedOnce) {
  std::vector<std::string> reports;
  SoundPlayer player{device, fade, "C:\\Tindrel\\sounds", [] { return false; },
                     [&reports](const std::string& problem) { reports.push_back(problem); }};
  device.open_error = "Cannot find the specified file.";
  device.unopenable = {"C:\\Tindrel\\sounds\\Carillon.mp3"};
  for (int slot = 0; slot < 2; ++slot) {
    player.SetSoundName("Carillon");
    const auto start = device.log.size();
    player.PlaySound();
    EXPECT_EQ(std::vector<std::string>(device.log.begin() + static_cast<std::ptrdiff_t>(start),
                                       device.log.end()),
              (std::vector<std::string>{"Open C:\\Tindrel\\sounds\\Carillon.mp3",
                                        "Open C:\\Tindrel\\sounds\\JingleBells.mp3", "SetVolume 0",
                                        "Play"}));
    EXPECT_EQ(player.SoundName(), "JingleBells") << "the default clip fades as a chime";
    EXPECT_TRUE(fade.on);
    device.Close();
  }
  EXPECT_EQ(reports, std::vector<std::string>{"Cannot play the sound \"Carillon\": Cannot find the "
                                              "specified file. \"JingleBells\" plays in its place"})
      << "one cause, one report per run";
}

TEST_F(SoundPlayerTest, AChimeThatCannotPlayAtAllIsReportedOncePerCauseAndRaisesNothing) {
  std::vector<std::string> reports;
  SoundPlayer player{device, fade, "C:\\gone\\sounds", [] { return false; },
                     [&reports](const std::string& problem) { reports.push_back(problem); }};
  device.open_error = "Cannot find the specified file.";
  for (int slot = 0; slot < 3; ++slot) EXPECT_NO_THROW(player.Chime());
  device.open_error = "The device is busy.";
  EXPECT_NO_THROW(player.Chime());
  EXPECT_EQ(reports,
            (std::vector<std::string>{"Cannot find the specified file.", "The device is busy."}));
  EXPECT_EQ(device.log.size(), 4u) << "every slot still tries";
  EXPECT_FALSE(fade.on);
}

TEST_F(SoundPlayerTest, FailedFirstOpenLeavesFadeOff) {
  device.open_error = "Cannot open";
  EXPECT_THROW(player.PlaySound(), Error);
  EXPECT_FALSE(fade.on);
}

TEST_F(SoundPlayerTest, FadeTickWithNoDeviceOpenEndsFadeWithoutStoppingOrClosing) {
  player.PlaySound();
  Tick();
  device.open_error = "Cannot open";
  EXPECT_THROW(player.PlaySound(), Error);  // the default clip again, now failing
  const auto logged = device.log.size();
  EXPECT_NO_THROW(player.OnFadeTick());
  EXPECT_FALSE(fade.on);
  EXPECT_EQ(device.log.size(), logged);
}

TEST_F(SoundPlayerTest, FailedPositionQueryOnOpenDeviceSkipsTheTick) {
  player.PlaySound();
  Tick();
  device.position_query_fails = true;
  const auto logged = device.log.size();
  for (int i = 0; i < 10; ++i) Tick();
  EXPECT_EQ(device.log.size(), logged);
  EXPECT_EQ(device.level, 10);
  EXPECT_TRUE(fade.on);
  EXPECT_TRUE(device.open);
  device.position_query_fails = false;
  Tick();
  EXPECT_EQ(device.level, 20);
}

TEST_F(SoundPlayerTest, FailedPositionQueryPastHoldNeitherFallsNorStops) {
  player.PlaySound();
  device.position = 5000;
  device.level = 5;
  device.position_query_fails = true;
  for (int i = 0; i < 10; ++i) Tick();
  EXPECT_EQ(device.level, 5);
  EXPECT_TRUE(device.open);
  EXPECT_TRUE(fade.on);
}

TEST_F(SoundPlayerTest, FailedVolumeQueryOnOpenDeviceFollowsTheLevelsGiven) {
  player.PlaySound();
  device.volume_query_fails = true;
  const auto logged = device.log.size();
  TickUntilFadeEnds();
  std::vector<std::string> expected;
  for (int level : ExpectedDefaultClipLevels()) {
    if (level != 60 || expected.empty() || expected.back() != "SetVolume 60") {
      expected.push_back("SetVolume " + std::to_string(level));
    }
  }
  expected.insert(expected.end(), {"Stop", "Close"});
  EXPECT_EQ(LogSince(logged), expected);
  EXPECT_FALSE(fade.on);
}

TEST_F(SoundPlayerTest, BothQueriesFailingOnOpenDeviceKeepClipAndFade) {
  player.PlaySound();
  device.position_query_fails = true;
  device.volume_query_fails = true;
  const auto logged = device.log.size();
  for (int i = 0; i < 200; ++i) Tick();
  EXPECT_EQ(device.log.size(), logged);
  EXPECT_TRUE(device.open);
  EXPECT_TRUE(fade.on);
}

}  // namespace
}  // namespace tindrel
