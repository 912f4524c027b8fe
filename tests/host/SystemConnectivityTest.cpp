#include "host/SystemConnectivity.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

// The kernel's own view, read from sysfs: an interface other than loopback
// (0x8) whose flags say up (0x1) and that has a carrier (running).
static bool SysfsSaysOnline() {
  std::error_code ec;
  for (const auto &entry : std::filesystem::directory_iterator("/sys/class/net", ec)) {
    std::ifstream in(entry.path() / "flags");
    unsigned flags = 0;
    if (!(in >> std::hex >> flags))
      continue;
    std::ifstream carrierFile(entry.path() / "carrier");
    int carrier = 0;
    carrierFile >> carrier;
    if ((flags & 0x1) && !(flags & 0x8) && carrier == 1)
      return true;
  }
  return false;
}

TEST(SystemConnectivity, AgreesWithTheKernelsInterfaceFlags) {
  if (!std::filesystem::exists("/sys/class/net"))
    GTEST_SKIP() << "no sysfs";
  vidtrawl::host::SystemConnectivity connectivity;
  EXPECT_EQ(connectivity.IsConnected(), SysfsSaysOnline());
}
