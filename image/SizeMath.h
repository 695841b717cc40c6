// Size arithmetic that cannot overflow: every width × height × bytes product of the program goes
// through these, and a product that does not fit is reported instead of wrapping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace size_math {

// a × b, or nothing when the product does not fit in 64 bits (or either factor is negative).
[[nodiscard]] constexpr std::optional<std::uint64_t> Mul(std::int64_t a, std::int64_t b) {
  if (a < 0 || b < 0) return std::nullopt;
  std::uint64_t r = 0;
  if (__builtin_mul_overflow(static_cast<std::uint64_t>(a), static_cast<std::uint64_t>(b), &r))
    return std::nullopt;
  return r;
}

// a + b × c, or nothing on overflow.
[[nodiscard]] constexpr std::optional<std::uint64_t> MulAdd(std::uint64_t a, std::int64_t b,
                                                            std::int64_t c) {
  const auto product = Mul(b, c);
  if (!product) return std::nullopt;
  std::uint64_t r = 0;
  if (__builtin_add_overflow(a, *product, &r)) return std::nullopt;
  return r;
}

}  // namespace size_math
