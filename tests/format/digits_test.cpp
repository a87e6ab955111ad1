// The digit writers shared by every renderer.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "format/digits.h"

namespace {

using namespace keznls_engine;

// The scale's rounding error stays harmless only below 10^N: checked value by value.
template <int N>
void check_every_value() {
  char expected[N];
  std::memset(expected, '0', N);
  char buffer[N];
  std::uint32_t limit = 1;
  for (int i = 0; i < N; ++i) limit *= 10;
  int failures = 0;
  for (std::uint32_t v = 0; v < limit; ++v) {
    put_pairs<N>(buffer + N, v);
    if (std::memcmp(buffer, expected, N) != 0 && ++failures <= 5)
      ADD_FAILURE() << "put_pairs<" << N << ">(" << v << ") gave " << std::string(buffer, N);
    for (int i = N - 1; i >= 0 && ++expected[i] > '9'; --i) expected[i] = '0';
  }
}

TEST(Digits, PairsWithoutDivisionAreExactBelowTheirLimit) {
  check_every_value<2>();
  check_every_value<4>();
  check_every_value<6>();
  check_every_value<8>();
}

TEST(Digits, CountsDigitsAcrossEveryPowerOfTen) {
  EXPECT_EQ(count_digits(0), 1);
  std::uint64_t power = 1;
  for (int digits = 1; digits <= 19; ++digits) {
    SCOPED_TRACE(power);
    EXPECT_EQ(count_digits(power), digits);
    EXPECT_EQ(count_digits(power * 10 - 1), digits);
    power *= 10;
  }
  EXPECT_EQ(count_digits(power), 20);
  EXPECT_EQ(count_digits(UINT64_MAX), 20);
}

}  // namespace
