#include "image/BoxRow.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

TEST(ResampleBoxRow, BoxesOfMoreThanSixteenMillionWhitePixelsStayWhite) {
  // 300 columns of 70000 white rows: a box total of 5.4 billion, past 32 bits.
  constexpr int kColumns = 300;
  constexpr std::uint64_t kRows = 70000;
  std::vector<std::uint32_t> sums(3 * kColumns, static_cast<std::uint32_t>(255 * kRows));
  std::vector<int> map(kColumns + 1, 0);
  map[kColumns] = 1;  // one box of every column
  std::uint8_t out[3] = {0, 0, 0};
  resample::BoxRow<std::uint32_t> row(sums.data(), map.data(), kColumns, kRows, out);
  row.Run(0, kColumns + 1);
  EXPECT_EQ(out[0], 255);
  EXPECT_EQ(out[1], 255);
  EXPECT_EQ(out[2], 255);
}

TEST(ResampleBoxRow, RunsSplitAnywhereGiveTheSameRow) {
  // Progress reports split the walk into runs; the boxes must carry over between them.
  const std::vector<std::uint8_t> values{10, 20, 30, 11, 21, 31, 40, 50, 60, 1, 2, 3, 9, 9, 9};
  // Boxes {0} and {1, 2}; columns 3 and 4 map to the closing entry 2 and are dropped.
  const std::vector<int> map{0, 1, 1, 2, 2, 2};
  std::uint8_t whole[6], split[6];
  resample::BoxRow<std::uint8_t> a(values.data(), map.data(), 5, 1, whole);
  a.Run(0, 6);
  resample::BoxRow<std::uint8_t> b(values.data(), map.data(), 5, 1, split);
  b.Run(0, 2);
  b.Run(2, 2);
  b.Run(2, 5);
  b.Run(5, 6);
  const std::uint8_t expected[6] = {10, 20, 30, 25, 35, 45};
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(whole[k], expected[k]) << k;
    EXPECT_EQ(split[k], expected[k]) << k;
  }
}

TEST(ResampleBoxRow, ReciprocalDivisionIsExactForEveryAverageOfBytes) {
  // For each divisor the quotients just below and at every whole number up to 255, where a
  // reciprocal that is slightly too large or too small would show first.
  for (std::uint64_t d = 1; d <= resample::kMaxReciprocalDivisor; ++d) {
    const std::uint64_t reciprocal = resample::ReciprocalOf(d);
    for (std::uint64_t q : {1u, 2u, 3u, 100u, 254u, 255u}) {
      ASSERT_EQ(resample::DivideByReciprocal(q * d - 1, reciprocal), q - 1) << d;
      ASSERT_EQ(resample::DivideByReciprocal(q * d, reciprocal), q) << d;
    }
    ASSERT_EQ(resample::DivideByReciprocal(0, reciprocal), 0) << d;
  }
}
