#include "list/Status.h"

#include <gtest/gtest.h>

#include <string>

using namespace vidtrawl::list;

TEST(Status, TextsAreExact) {
  const std::pair<std::string, std::string> cases[] = {
      {kWaiting, "Waiting"},
      {kLinkNotSupported, "Link is not supported"},
      {kWaitingAutoDetect, "Waiting (Auto Detect)"},
      {kError, "ERROR"},
      {kUnknownSize, "????"},
      {kPreparingZero, "Preparing (0%)"},
      {kPreparingEllipsis, "Preparing..."},
      {kStartDownloading, "Start Downloading..."},
      {kUnsupportedLink, "Un supported link"},
      {kProcessFailed, "Process failed."},
      {kVideoInappropriate, "Video may be inappropriate and can not be downloaded"},
      {kSoFarSuffix, " so far.."},
      {kComplete, "Complete"},
      {kCancelled, "Cancelled"},
      {kZeroSize, "0"},
  };
  for (const auto &[constant, text] : cases)
    EXPECT_EQ(constant, text);
}

TEST(Status, PreparingProgress) {
  EXPECT_EQ(PreparingStatus(0), kPreparingZero);
  EXPECT_EQ(PreparingStatus(37), "Preparing (37%)");
  EXPECT_EQ(PreparingStatus(100), "Preparing (100%)");
}

TEST(Status, OnlyCompleteAndErrorAreFinished) {
  EXPECT_TRUE(IsFinishedStatus("Complete"));
  EXPECT_TRUE(IsFinishedStatus("ERROR"));
  for (const char *other : {"Cancelled", "Link is not supported", "Waiting", "complete", "Error",
                            "100", "", "Complete "})
    EXPECT_FALSE(IsFinishedStatus(other)) << other;
}
