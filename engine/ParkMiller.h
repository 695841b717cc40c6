// The tile order's random numbers: the minimal standard generator of Park and Miller,
// s' = 16807 × s mod (2^31 − 1), computed with Schrage's method so that no product passes 31
// bits. A given start state always gives the same sequence, on every platform.
#pragma once

#include <cstdint>
#include <optional>

// Where the generator starts: nothing to seed from the clock, or a fixed number for repeatable
// posters.
using TileOrderSeed = std::optional<std::uint64_t>;

class ParkMillerRandom {
 public:
  static constexpr std::int32_t kModulus = 2147483647;  // 2^31 − 1

  // Without a seed the C library's generator is seeded with the time in seconds and its first
  // number, reduced to 0..32767, becomes the state; a seed N gives the state N mod (2^31 − 1).
  // Either way a state of 0 becomes 1, since 0 would repeat for ever.
  void Seed(TileOrderSeed seed);
  [[nodiscard]] std::int32_t GetState() const { return m_state; }
  // Advances the state and returns it.
  std::int32_t Next();
  // The next value mod k; 0 for k below 1.
  int Below(int k);

 private:
  std::int32_t m_state = 1;
};
