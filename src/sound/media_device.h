#pragma once
// The media device the widget plays its clips through: one clip open at a time, polled for its
// position and level by the fade. Queries report failure instead of an undefined value so that
// the fade can choose a safe outcome.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace tindrel {

class MediaDevice {
 public:
  virtual ~MediaDevice() = default;

  // Opens the clip at `path` (UTF-8); throws tindrel::Error with the media-control error text
  // when it cannot be opened, and then leaves no device open.
  virtual void Open(const std::string& path) = 0;
  // Closes the open clip; does nothing when none is open.
  virtual void Close() = 0;
  // Starts the open clip from its beginning and returns at once; its result is not reported.
  virtual void Play() = 0;
  // Stops the open clip; throws tindrel::Error("No MCI device open") when none is open.
  virtual void Stop() = 0;
  // The playback position in milliseconds; empty when the device cannot tell it.
  virtual std::optional<std::uint32_t> Position() = 0;
  // Sets the audio level (0 silent .. 1000 full); returns the media-control result code.
  virtual std::uint32_t SetVolume(int level) = 0;
  // The audio level read back from the device; empty when the device cannot tell it.
  virtual std::optional<int> GetVolume() = 0;
  virtual bool IsOpen() const = 0;

  // `handler` runs when the clip started by Play has played to its end: not when it is stopped or
  // closed before. None: nothing runs.
  void OnPlayedToEnd(std::function<void()> handler) { played_to_end_ = std::move(handler); }

 protected:
  // The device's notice that its clip has played to its end.
  void PlayedToEnd() {
    if (played_to_end_) played_to_end_();
  }

 private:
  std::function<void()> played_to_end_;
};

}  // namespace tindrel
