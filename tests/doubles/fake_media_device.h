#pragma once
// A media device in memory: it logs every command that reaches it, plays by having its position
// moved by the test, and can be told to fail its open or either query.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/error.h"
#include "sound/fade_timer.h"
#include "sound/media_device.h"

namespace tindrel::test {

class FakeMediaDevice : public MediaDevice {
 public:
  void Open(const std::string& path) override {
    log.push_back("Open " + path);
    if (!open_error.empty() && (unopenable.empty() || unopenable.count(path) != 0)) {
      throw Error(open_error);
    }
    open = true;
    position = 0;
  }
  void Close() override {
    if (!open) return;
    log.push_back("Close");
    open = false;
  }
  void Play() override { log.push_back("Play"); }
  void Stop() override {
    if (!open) throw Error("No MCI device open");
    log.push_back("Stop");
  }
  std::optional<std::uint32_t> Position() override {
    if (!open || position_query_fails) return std::nullopt;
    return position;
  }
  std::uint32_t SetVolume(int new_level) override {
    log.push_back("SetVolume " + std::to_string(new_level));
    if (!open) return 263;  // no device: nothing to set
    level = new_level;
    return 0;
  }
  std::optional<int> GetVolume() override {
    if (!open || volume_query_fails) return std::nullopt;
    return level;
  }
  bool IsOpen() const override { return open; }
  // The open clip plays to its end, and the device says so.
  void PlayToTheEnd() { PlayedToEnd(); }

  std::vector<std::string> log;
  bool open = false;
  std::uint32_t position = 0;
  int level = 1000;
  // An open fails with this text: of every clip, or only of those in `unopenable` when it is not
  // empty.
  std::string open_error;
  std::set<std::string> unopenable;
  bool position_query_fails = false;
  bool volume_query_fails = false;
};

class FakeFadeTimer : public FadeTimer {
 public:
  void SetEnabled(bool enabled) override { on = enabled; }
  bool Enabled() const override { return on; }
  bool on = false;
};

}  // namespace tindrel::test
