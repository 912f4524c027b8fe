#include "net/TimeLimits.h"

#include <gtest/gtest.h>

using vidtrawl::net::TimeLimits;
using ms = std::chrono::milliseconds;

TEST(TimeLimits, TheEnvironmentOnlyShortensTheLimits) {
  const struct {
    const char *text;
    long connect, silence;
  } cases[] = {
      {nullptr, 30000, 60000}, {"", 30000, 60000},    {"0.5", 500, 500},    {"45", 30000, 45000},
      {"90", 30000, 60000},    {"0", 30000, 60000},   {"-2", 30000, 60000}, {"2s", 30000, 60000},
      {"nan", 30000, 60000},   {"inf", 30000, 60000}, {"0.0001", 1, 1},     {"1e999", 30000, 60000},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.text ? c.text : "(unset)");
    const TimeLimits limits =
        TimeLimits::FromText(c.text ? std::optional<std::string_view>(c.text) : std::nullopt);
    EXPECT_EQ(limits.connect, ms(c.connect));
    EXPECT_EQ(limits.silence, ms(c.silence));
  }
}
