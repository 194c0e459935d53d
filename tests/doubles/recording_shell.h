#pragma once
// A shell that takes every address handed over to it, and at each hand-over what `observe` tells
// (what a browser setting held at that moment, for example).

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "shell/web_links.h"

namespace tindrel::test {

template <typename Seen>
class RecordingShell : public ShellHandover {
 public:
  explicit RecordingShell(std::function<Seen()> observe) : observe_(std::move(observe)) {}

  void Open(const std::string& address) override {
    addresses.push_back(address);
    seen_during_handover = observe_();
  }

  std::vector<std::string> addresses;
  Seen seen_during_handover{};

 private:
  std::function<Seen()> observe_;
};

}  // namespace tindrel::test
