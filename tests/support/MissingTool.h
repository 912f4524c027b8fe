#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

// Skips a test whose tool is missing; fails it under CI (CI=true), which installs every tool.
#define VIDTRAWL_NEEDS_TOOL(present, what)                                                         \
  if (present) {                                                                                   \
  } else if (const char *ci = std::getenv("CI"); ci && std::string_view(ci) == "true")             \
    GTEST_FAIL() << "missing under CI: " << what;                                                  \
  else                                                                                             \
    GTEST_SKIP() << "missing: " << what
