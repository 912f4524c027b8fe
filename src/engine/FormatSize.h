#pragma once

#include <string>
#include <string_view>

namespace vidtrawl::engine {

// A byte count as a short size text: "n Bytes", "n KB", "n MB", "n GB",
// "n TB", "n PB" or "n EB", rounded to one decimal place (ties to the even
// neighbour), shortest form, with the decimal separator of the current C
// locale (LC_NUMERIC). Empty text for a value that is not a number, is
// infinite or lies beyond single precision, in which the count is held, as
// the transfer reports it.
std::string FormatSize(double bytes);

// The same with an explicit decimal separator.
std::string FormatSize(double bytes, std::string_view decimalSeparator);

// The decimal separator of the current C locale ("." when it gives none).
std::string LocaleDecimalSeparator();

} // namespace vidtrawl::engine
