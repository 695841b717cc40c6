#include "engine/ParkMiller.h"

#include <cstdlib>
#include <ctime>

namespace {

constexpr std::int32_t kMultiplier = 16807;
constexpr std::int32_t kQuotient = 127773;  // kModulus / kMultiplier
constexpr std::int32_t kRemainder = 2836;   // kModulus % kMultiplier
constexpr int kClockStateRange = 32768;     // the range of the C library's portable rand()

}  // namespace

void ParkMillerRandom::Seed(TileOrderSeed seed) {
  if (seed) {
    m_state = static_cast<std::int32_t>(*seed % kModulus);
  } else {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    m_state = std::rand() % kClockStateRange;
  }
  if (m_state == 0) m_state = 1;
}

std::int32_t ParkMillerRandom::Next() {
  std::int32_t s = kMultiplier * (m_state % kQuotient) - kRemainder * (m_state / kQuotient);
  if (s < 0) s += kModulus;
  m_state = s;
  return s;
}

int ParkMillerRandom::Below(int k) {
  if (k < 1) return 0;
  return Next() % k;
}
