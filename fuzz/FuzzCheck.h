#pragma once

#include <cstdio>
#include <cstdlib>

// Stops the fuzzer with a finding when a property of the code under test
// does not hold (assert would vanish in a release build).
#define FUZZ_CHECK(condition)                                                                      \
  do {                                                                                             \
    if (!(condition)) {                                                                            \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);           \
      std::abort();                                                                                \
    }                                                                                              \
  } while (0)
