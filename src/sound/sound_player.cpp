#include "sound/sound_player.h"

#include <utility>

#include "base/error.h"

namespace tindrel {

namespace {

std::string WithTrailingSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder;
}

}  // namespace

SoundPlayer::SoundPlayer(MediaDevice& device, FadeTimer& fade, std::string sounds_folder,
                         std::function<bool()> never_checked, Report report)
    : device_(device),
      fade_(fade),
      sounds_folder_(WithTrailingSeparator(std::move(sounds_folder))),
      never_checked_(std::move(never_checked)),
      report_(std::move(report)) {
  device_.OnPlayedToEnd([this] { ClipPlayedToEnd(); });
}

SoundPlayer::~SoundPlayer() {
  device_.OnPlayedToEnd(nullptr);
}

void SoundPlayer::SetSoundName(const std::string& name) {
  sound_name_ = name;
  FollowFade();
}

void SoundPlayer::FollowFade() {
  fade_.SetEnabled(IsDefaultSound() && device_.IsOpen());
}

void SoundPlayer::ClipPlayedToEnd() {
  // Nothing more is heard of it: the file is let go at once rather than at the next chime.
  CloseClip();
}

void SoundPlayer::CloseClip() {
  device_.Close();
  level_given_.reset();
  fade_.SetEnabled(false);
}

std::string SoundPlayer::ClipPath() const {
  return ClipPathOf(sound_name_);
}

std::string SoundPlayer::ClipPathOf(const std::string& name) const {
  return sounds_folder_ + name + ".mp3";
}

void SoundPlayer::PlaySound() {
  // "Never" keeps everything as it is: a clip that plays goes on, and so does its fade.
  if (never_checked_()) return;
  device_.Close();
  level_given_.reset();
  std::string problem;
  try {
    device_.Open(ClipPath());
  } catch (const Error& error) {
    if (IsDefaultSound()) throw;
    problem = OpenDefaultInPlace(error.what());
  }
  SetLevel(IsDefaultSound() ? kDefaultClipStartLevel : kOtherClipLevel);
  device_.Play();
  // Only the default clip fades; every other plays to its end at its level without a timer.
  FollowFade();
  // Told only now: a report may open a modal box, in which the fade ticks go on.
  if (!problem.empty()) ReportOnce(problem);
}

void SoundPlayer::Chime() {
  try {
    PlaySound();
  } catch (const Error& error) {
    ReportOnce(error.what());
  }
}

std::string SoundPlayer::OpenDefaultInPlace(const std::string& failure) {
  try {
    device_.Open(ClipPathOf(defaults::kSoundName));
  } catch (const Error&) {
    throw Error(failure);
  }
  const std::string problem = "Cannot play the sound \"" + sound_name_ + "\": " + failure + " \"" +
                              defaults::kSoundName + "\" plays in its place";
  sound_name_ = defaults::kSoundName;  // the timer follows once the clip plays
  return problem;
}

void SoundPlayer::ReportOnce(const std::string& problem) {
  if (!reported_.insert(problem).second) return;
  if (report_) report_(problem);
}

void SoundPlayer::OnFadeTick() {
  if (!IsDefaultSound()) return;
  if (!RiseWhileEarly()) return;
  if (!IsPastHold()) return;
  if (!FallOneStep()) return;
  StopWhenFaded();
}

void SoundPlayer::EndClip() {
  if (device_.IsOpen()) device_.Stop();
  CloseClip();
}

// The swell: ten levels a tick until the ceiling, as long as the clip is in its first seconds.
bool SoundPlayer::RiseWhileEarly() {
  const auto position = device_.Position();
  const auto level = ReadLevel();
  if (!position || !level) return AbandonTick();
  if (*position < kHoldEndMs && *level < kRiseCeiling) SetLevel(*level + kRiseStep);
  return true;
}

bool SoundPlayer::IsPastHold() {
  const auto position = device_.Position();
  if (!position) return AbandonTick();
  return *position > kHoldEndMs;
}

bool SoundPlayer::FallOneStep() {
  const auto level = ReadLevel();
  if (!level) return AbandonTick();
  SetLevel(*level - kFallStep);
  return true;
}

void SoundPlayer::StopWhenFaded() {
  const auto level = ReadLevel();
  if (!level) {
    AbandonTick();
    return;
  }
  if (*level >= kStopLevel) return;
  EndClip();
}

// A query that fails ends the tick without acting on an unknown value. When no clip is open there
// is nothing left to fade, so the fade ends; nothing is stopped or closed, as nothing is open.
bool SoundPlayer::AbandonTick() {
  if (!device_.IsOpen()) fade_.SetEnabled(false);
  return false;
}

// Some devices serve MP3 clips without a volume query; for them the level this player gave the
// open clip stands in, so the fade keeps its course instead of stalling at silence.
std::optional<int> SoundPlayer::ReadLevel() {
  if (const auto level = device_.GetVolume()) return level;
  if (!device_.IsOpen()) return std::nullopt;
  return level_given_;
}

void SoundPlayer::SetLevel(int level) {
  device_.SetVolume(level);
  level_given_ = level;
}

}  // namespace tindrel
