#include "settings/BooleanText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using vidtrawl::settings::BooleanFromText;
using vidtrawl::settings::BooleanText;

TEST(BooleanFromText, WordsInAnyCaseAndNumbers) {
  struct Case {
    std::string text;
    std::optional<bool> result;
  } cases[] = {
      {"true", true},
      {"True", true},
      {"TRUE", true},
      {"tRuE", true},
      {"false", false},
      {"False", false},
      {"FALSE", false},
      {"fAlSe", false},
      {"0", false},
      {"1", true},
      {"5", true},
      {"-1", true},
      {"+0", false},
      {"-0", false},
      {"000", false},
      {"0.0", false},
      {".5", true},
      {"5.", true},
      {"0.001", true},
      {"1e3", true},
      {"0E5", false},
      {"2e-3", true},
      {"007", true},
      {"", std::nullopt},
      {"yes", std::nullopt},
      {"no", std::nullopt},
      {"on", std::nullopt},
      {"tru", std::nullopt},
      {"true ", std::nullopt},
      {" 1", std::nullopt},
      {"1 ", std::nullopt},
      {"1x", std::nullopt},
      {".", std::nullopt},
      {"-", std::nullopt},
      {"e5", std::nullopt},
      {"1e", std::nullopt},
      {"0x10", std::nullopt},
      {"inf", std::nullopt},
      {"nan", std::nullopt},
      {"1,5", std::nullopt},
  };
  for (const Case &c : cases)
    EXPECT_EQ(BooleanFromText(c.text), c.result) << '"' << c.text << '"';
}

TEST(BooleanText, StoredWords) {
  EXPECT_STREQ(BooleanText(true), "True");
  EXPECT_STREQ(BooleanText(false), "False");
}
