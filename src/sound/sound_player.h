#pragma once
// Playback of the current sound through the media device, with the volume fade that turns the
// default clip into a short chime: it swells from silence to a low level, holds it until three
// seconds into the clip, then fades out and is stopped and closed. Every other clip plays to its
// end at a fixed level.

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "base/stored_names.h"
#include "sound/fade_timer.h"
#include "sound/media_device.h"

#ifdef _WIN32
// The system's multimedia header names one of its functions PlaySound through a macro. It is
// included here and the macro removed, so that the method below keeps its name in every file,
// whichever of the two headers that file includes first.
// clang-format off
#include <windows.h>
#include <mmsystem.h>  // needs the types of windows.h
// clang-format on
#undef PlaySound
#endif

namespace tindrel {

class SoundPlayer {
 public:
  static constexpr int kDefaultClipStartLevel = 0;
  static constexpr int kOtherClipLevel = 700;
  static constexpr int kRiseStep = 10;
  static constexpr int kRiseCeiling = 60;
  static constexpr std::uint32_t kHoldEndMs = 3000;
  static constexpr int kFallStep = 1;
  static constexpr int kStopLevel = 5;

  // Receives the text of a problem the player steps around (the main window shows it in its error
  // report), once per text and run; the player has settled before it is called.
  using Report = std::function<void(const std::string&)>;

  // `sounds_folder` is the folder of the clips (a separator is added when it lacks one);
  // `never_checked` tells whether the "Never" entry of the chime schedule is checked.
  SoundPlayer(MediaDevice& device, FadeTimer& fade, std::string sounds_folder,
              std::function<bool()> never_checked, Report report = {});
  ~SoundPlayer();
  SoundPlayer(const SoundPlayer&) = delete;
  SoundPlayer& operator=(const SoundPlayer&) = delete;

  // The current sound: the base name of a clip in the sounds folder, compared case-sensitively.
  const std::string& SoundName() const { return sound_name_; }
  // Makes `name` the current sound, played from the next start on. The fade timer runs only while
  // the current sound is the default one and a clip is open: a clip still open from before (chosen
  // while "Never" was checked) fades as the default clip does once the default is current, and
  // plays on at its level once another is.
  void SetSoundName(const std::string& name);

  // The sounds folder, then the current sound's name, then ".mp3".
  std::string ClipPath() const;

  // Starts the current sound from its beginning unless "Never" is checked. A clip that cannot be
  // opened (deleted, renamed, or a stored name that names none) gives way to the default clip,
  // as a missing skin gives way to the default skin: the default clip plays and becomes the
  // current sound, and the problem is reported. When the default clip cannot be opened either,
  // PlaySound raises tindrel::Error with the media-control text of the current clip; the previous
  // clip is closed by then, and the level, the fade timer and the current sound's name keep what
  // they had.
  void PlaySound();

  // The chime: PlaySound, with a failure reported instead of raised, and each failure only once
  // per run, so that a chime that cannot play does not tell the same at every slot.
  void Chime();

  // One tick of the fade timer: the next step of the default clip's fade.
  void OnFadeTick();

  // Ends the clip that plays, if any, and its fade: stopped, closed and the fade timer off, as at
  // the end of a fade. For the machine going to sleep: a clip cut off there would go on, at the
  // level it had, whenever the machine wakes.
  void EndClip();

 private:
  // The open clip has played to its end: it is closed, and its fade ends with it.
  void ClipPlayedToEnd();
  // Closes the open clip, if any (nothing when none is open), forgets its level and ends its fade.
  void CloseClip();
  // The fade timer runs while the default sound is current and a clip is open.
  void FollowFade();
  bool IsDefaultSound() const { return sound_name_ == defaults::kSoundName; }
  std::string ClipPathOf(const std::string& name) const;
  // Opens the default clip in place of the current one, which failed with `failure`; returns the
  // problem to report. Raises the current clip's failure when the default cannot be opened.
  std::string OpenDefaultInPlace(const std::string& failure);
  void ReportOnce(const std::string& problem);
  bool RiseWhileEarly();
  bool IsPastHold();
  bool FallOneStep();
  void StopWhenFaded();
  bool AbandonTick();
  std::optional<int> ReadLevel();
  void SetLevel(int level);

  MediaDevice& device_;
  FadeTimer& fade_;
  std::string sounds_folder_;
  std::function<bool()> never_checked_;
  Report report_;
  std::set<std::string> reported_;
  std::string sound_name_ = defaults::kSoundName;
  // The level last given to the open clip, taken as its level by a device that cannot report it.
  std::optional<int> level_given_;
};

}  // namespace tindrel
