// The speed both front ends show: recent while bytes arrive, on average once done.
#include "scheduler/RateMeter.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace vidtrawl::scheduler {
namespace {

using std::chrono::milliseconds;

// Each row: samples of (milliseconds from the start, bytes in all), then the recent rate, the
// average and the seconds the transfer took.
TEST(RateMeter, RecentAndAverageSpeedsOfATransfer) {
  struct Row {
    const char *what;
    std::vector<std::pair<int, std::uint64_t>> samples;
    std::array<double, 3> said; // recent, average, seconds
  };
  const Row rows[] = {
      {"steady 1 MB/s",
       {{0, 0}, {500, 500'000}, {1000, 1'000'000}, {2000, 2'000'000}},
       {1e6, 1e6, 2}},
      {"resumed at 700,000 bytes: those are not its speed",
       {{0, 700'000}, {1000, 1'700'000}, {2000, 2'700'000}},
       {1e6, 1e6, 2}},
      {"a stall of 5 s: nothing recent, the average falls",
       {{0, 0}, {1000, 1'000'000}, {2000, 2'000'000}, {7000, 2'000'000}},
       {0, 2e6 / 7, 7}},
      {"the last 3 s only",
       {{0, 0}, {1000, 4'000'000}, {2000, 4'100'000}, {5000, 4'400'000}},
       {1e5, 4.4e6 / 5, 5}},
      {"under a tenth of a second: no speed yet", {{0, 0}, {50, 1'000'000}}, {0, 0, 0.05}},
      {"no sample", {}, {0, 0, 0}},
  };
  const RateMeter::Clock::time_point start = RateMeter::Clock::time_point{} + std::chrono::hours(5);
  for (const Row &row : rows) {
    SCOPED_TRACE(row.what);
    RateMeter meter;
    for (const auto &[at, bytes] : row.samples)
      meter.Add(start + milliseconds(at), bytes);
    EXPECT_DOUBLE_EQ(meter.Recent(), row.said[0]);
    EXPECT_DOUBLE_EQ(meter.Average(), row.said[1]);
    EXPECT_DOUBLE_EQ(meter.Seconds(), row.said[2]);
  }
}

} // namespace
} // namespace vidtrawl::scheduler
