#include "pagesearch/SourceQuality.h"

#include "base/AsciiCase.h"
#include "base/NumberScan.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <utility>

namespace vidtrawl::pagesearch {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsAlphanumeric(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// A number of up to five digits at text[at]; its length goes to length.
long NumberAt(std::string_view text, std::size_t at, std::size_t &length) {
  length = 0;
  while (at + length < text.size() && IsDigit(text[at + length]))
    ++length;
  if (length == 0 || length > 5)
    return 0;
  return base::ParseInteger<long>(text.substr(at, length)).value_or(0);
}

// Heights video files are made in: a bare number in a file name is taken
// for one only when it is one of these (not a year, not an id).
constexpr std::array<long, 17> kHeights{144, 180, 240, 270, 288,  360,  368,  432, 480,
                                        540, 576, 720, 900, 1080, 1440, 2160, 4320};

} // namespace

long QualityOfLabel(std::string_view label) {
  const std::string text = base::LowerAscii(label);
  const std::size_t at = std::find_if(text.begin(), text.end(), IsDigit) - text.begin();
  if (at < text.size()) {
    std::size_t length = 0;
    const long number = NumberAt(text, at, length);
    const std::size_t after = at + length;
    if (after < text.size() && text[after] == 'k')
      return number == 8 ? 4320 : number == 4 ? 2160 : number == 2 ? 1440 : 0;
    if (after + 1 < text.size() && text[after] == 'x' && IsDigit(text[after + 1]))
      return NumberAt(text, after + 1, length);
    return number;
  }
  static constexpr std::array<std::pair<std::string_view, long>, 10> kWords{{{"uhd", 2160},
                                                                             {"fullhd", 1080},
                                                                             {"full hd", 1080},
                                                                             {"fhd", 1080},
                                                                             {"hd", 720},
                                                                             {"high", 720},
                                                                             {"sd", 480},
                                                                             {"medium", 480},
                                                                             {"low", 240},
                                                                             {"mobile", 240}}};
  for (const auto &[word, height] : kWords)
    if (text.find(word) != std::string::npos)
      return height;
  return 0;
}

long QualityInAddress(std::string_view address) {
  address = address.substr(0, std::min(address.find_first_of("?#"), address.size()));
  const std::string_view name = address.substr(address.rfind('/') + 1);
  long best = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (!IsDigit(name[i]) || (i > 0 && IsDigit(name[i - 1])))
      continue;
    std::size_t length = 0;
    const long number = NumberAt(name, i, length);
    const std::size_t after = i + length;
    const bool marked = after < name.size() && (name[after] == 'p' || name[after] == 'P') &&
                        (after + 1 == name.size() || !IsAlphanumeric(name[after + 1]));
    const bool alone = (i == 0 || !IsAlphanumeric(name[i - 1])) &&
                       (after == name.size() || !IsAlphanumeric(name[after]));
    if ((marked && length >= 3) ||
        (alone && std::find(kHeights.begin(), kHeights.end(), number) != kHeights.end()))
      best = std::max(best, number);
  }
  return best;
}

} // namespace vidtrawl::pagesearch
