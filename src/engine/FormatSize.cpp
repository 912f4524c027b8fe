#include "engine/FormatSize.h"

#include <array>
#include <charconv>
#include <clocale>
#include <cmath>
#include <limits>

namespace vidtrawl::engine {
namespace {

constexpr double kKilo = 1024.0;
constexpr double kMega = 1048576.0;

// Shortest decimal text that reads back as the same value (an exponent only
// for magnitudes no size reaches), with the given separator for the point.
template <typename Number> std::string NumberText(Number value, std::string_view separator) {
  if (value == 0)
    value = 0; // no "-0"
  std::array<char, 64> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  if (result.ec != std::errc())
    return {};
  std::string text;
  for (const char *p = buffer.data(); p != result.ptr; ++p) {
    if (*p == '.')
      text += separator;
    else
      text += *p;
  }
  return text;
}

// Rounds to one decimal place; a tie goes to the even neighbour.
double RoundOneDecimal(double value) {
  const double tenths = value * 10.0;
  const double floor = std::floor(tenths);
  const double fraction = tenths - floor;
  double rounded = floor;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0))
    rounded = floor + 1.0;
  return rounded / 10.0;
}

} // namespace

std::string LocaleDecimalSeparator() {
  const std::lconv *conv = std::localeconv();
  if (conv == nullptr || conv->decimal_point == nullptr || conv->decimal_point[0] == '\0')
    return ".";
  return conv->decimal_point;
}

std::string FormatSize(double bytes) {
  return FormatSize(bytes, LocaleDecimalSeparator());
}

std::string FormatSize(double bytes, std::string_view decimalSeparator) {
  if (!std::isfinite(bytes))
    return {};
  constexpr double kFloatMax = std::numeric_limits<float>::max();
  if (bytes > kFloatMax)
    return {};
  if (bytes < -kFloatMax) // beyond single precision: the plain form
    return NumberText(bytes, decimalSeparator) + " Bytes";

  const float count = static_cast<float>(bytes);
  if (count < kKilo)
    return NumberText(count, decimalSeparator) + " Bytes";
  if (count < kMega) {
    const float kilo = count / 1024.0f; // single precision, as stored
    return NumberText(RoundOneDecimal(kilo), decimalSeparator) + " KB";
  }
  if (count < kMega * kKilo)
    return NumberText(RoundOneDecimal(count / kMega), decimalSeparator) + " MB";
  // Every size a file can have gets a text: beyond gigabytes the units go on
  // in steps of 1024 up to exabytes (a 64-bit size ends below 16 EB).
  constexpr std::array<const char *, 4> kUnits = {" GB", " TB", " PB", " EB"};
  double unit = kMega * kKilo;
  std::size_t at = 0;
  while (at + 1 < kUnits.size() && count >= unit * kKilo) {
    unit *= kKilo;
    ++at;
  }
  return NumberText(RoundOneDecimal(count / unit), decimalSeparator) + kUnits[at];
}

} // namespace vidtrawl::engine
