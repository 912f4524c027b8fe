#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vidtrawl::cli {

// Text pieces of the progress display and the final table. Numbers are
// written with the size texts of the list (whose decimal separator follows
// the locale); everything else is locale-independent.

// A bar of `width` cells for a fraction from 0 to 1: block characters when
// `unicode`, else "#" and "-".
std::string ProgressBar(double fraction, std::size_t width, bool unicode);

// " 42%": the fraction as a whole percentage, right-aligned in four columns.
std::string PercentText(double fraction);

// "m:ss" or "h:mm:ss"; "--:--" for a negative or non-finite value.
std::string DurationText(double seconds);

// A time taken: "0.4 s" (one decimal, the locale's separator) below a
// minute, else as DurationText.
std::string ElapsedText(double seconds);

// A transfer rate: the size text of the bytes per second and "/s"; empty
// for a rate that is not positive.
std::string RateText(double bytesPerSecond);

// Columns a text takes on a terminal: what wcwidth says of each character
// under the user's locale (two for wide East Asian characters, none for a
// combining mark), one for a character it cannot tell.
std::size_t DisplayWidth(std::string_view text);

// The text cut or padded with blanks to exactly `width` columns; a cut text
// ends in "~" so that the cut shows. Cuts never split a UTF-8 sequence nor a
// character from its combining marks.
std::string FitWidth(std::string_view text, std::size_t width);

// The same, padded on the left.
std::string FitWidthRight(std::string_view text, std::size_t width);

} // namespace vidtrawl::cli
