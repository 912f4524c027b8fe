#include "list/StatusKind.h"
#include "list/Status.h"

#include <gtest/gtest.h>

#include <optional>

using namespace vidtrawl::list;

TEST(StatusKind, EveryStatusTextIsReadOnce) {
  struct Case {
    const char *status;
    StatusKind kind;
    std::optional<int> percent;
  } cases[] = {
      {"Waiting", StatusKind::Waiting, {}},
      {"Link is not supported", StatusKind::Unsupported, {}},
      {"Preparing (0%)", StatusKind::Fetching, 0},
      {"Preparing (100%)", StatusKind::Fetching, 100},
      {"Preparing...", StatusKind::Fetching, {}},
      {"Preparing (x%)", StatusKind::Other, {}},
      {"Start Downloading...", StatusKind::Preparing, {}},
      {"0", StatusKind::Progress, 0},
      {"42", StatusKind::Progress, 42},
      {"150", StatusKind::Progress, 150},
      {"007", StatusKind::Progress, 7},
      {"99999999999999999999", StatusKind::Progress, 1000000},
      {"1.5 MB so far..", StatusKind::Progress, {}},
      {"Complete", StatusKind::Complete, {}},
      {"ERROR", StatusKind::Error, {}},
      {"Cancelled", StatusKind::Cancelled, {}},
      {"complete", StatusKind::Other, {}},
      {"Complete ", StatusKind::Other, {}},
      {"", StatusKind::Other, {}},
      {"-5", StatusKind::Other, {}},
      {" 42", StatusKind::Other, {}},
      {"4.2", StatusKind::Other, {}},
      {"1e3", StatusKind::Other, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.status);
    const StatusClass status = ClassifyStatus(c.status);
    EXPECT_EQ(status.kind, c.kind);
    EXPECT_EQ(status.percent, c.percent);
  }
}

TEST(StatusKind, OnlyCompleteAndErrorAreFinished) {
  EXPECT_TRUE(IsFinishedStatus("Complete"));
  EXPECT_TRUE(IsFinishedStatus("ERROR"));
  for (const char *other : {"Cancelled", "Link is not supported", "Waiting", "complete", "Error",
                            "100", "", "Complete "})
    EXPECT_FALSE(IsFinishedStatus(other)) << other;
}
