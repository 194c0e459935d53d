#pragma once
// A random source that hands out a scripted sequence of numbers (0 once it has run out) and records
// the ranges asked for.

#include <deque>
#include <utility>
#include <vector>

#include "render/stars.h"

namespace tindrel::test {

class ScriptedRandom : public RandomSource {
 public:
  explicit ScriptedRandom(std::deque<int> values) : values_(std::move(values)) {}
  int Below(int n) override {
    ranges.push_back(n);
    if (values_.empty()) return 0;
    const int v = values_.front();
    values_.pop_front();
    return v;
  }
  std::vector<int> ranges;

 private:
  std::deque<int> values_;
};

}  // namespace tindrel::test
