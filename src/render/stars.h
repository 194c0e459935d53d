#pragma once
// The eight twinkling stars: their records and the 25 ms animation step. Drawing them is part of
// the frame composition.

#include <array>
#include <cstdint>
#include <optional>
#include <random>

namespace tindrel {

struct Star {
  std::int32_t x = 0;          // column of the centre, frame coordinates
  std::int32_t y = 0;          // row of the centre, frame coordinates
  std::int32_t alpha = 0;      // opacity 0 .. 255, the constant alpha of the sprite's blend
  std::int32_t direction = 0;  // 0 idle (respawns at the next tick), 1 brightening, -1 dimming
};

constexpr int kStarCount = 8;
using StarArray = std::array<Star, kStarCount>;

// The animation's step: one tick every 25 ms.
constexpr int kStarTickMs = 25;
// The most ticks one advance catches up: after a long gap (hidden for hours, the machine asleep)
// the stars only go on from where they were, as one cycle at most.
constexpr int kMaxStarCatchUpTicks = 52;

// The size of the loaded skin, where respawned stars are placed.
struct SkinSize {
  int width = 0;
  int height = 0;
};

// Uniform random integers; a seam so that tests can script the sequence.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // A uniform integer from 0 to n - 1; n is at least 1.
  virtual int Below(int n) = 0;
};

// The program's one pseudo-random generator, seeded once by its owner (the main window).
class MersenneRandom : public RandomSource {
 public:
  explicit MersenneRandom(std::uint32_t seed) : engine_(seed) {}
  int Below(int n) override { return std::uniform_int_distribution<int>(0, n - 1)(engine_); }

 private:
  std::mt19937 engine_;
};

class StarField {
 public:
  // Every field of every star 0: all idle.
  void Reset() { stars_ = StarArray{}; }

  // The skin was made again for another DPI: each star keeps its place on it, its position scaled
  // by to_dpi / from_dpi and truncated, so that it stays inside the scaled skin.
  void ScalePositions(int from_dpi, int to_dpi);

  // One tick of the animation, run by the star timer. Without a skin, or with an empty one, it
  // does nothing; otherwise each star in turn respawns if idle, then brightens or dims by 10 and
  // turns at the ends of its range.
  void Tick(const std::optional<SkinSize>& skin, RandomSource& random);
  // `ticks` ticks one after the other (none for 0 or less), at most kMaxStarCatchUpTicks.
  void Advance(int ticks, const std::optional<SkinSize>& skin, RandomSource& random);

  const StarArray& Stars() const { return stars_; }

 private:
  StarArray stars_{};
};

}  // namespace tindrel
