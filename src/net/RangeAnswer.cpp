#include "net/RangeAnswer.h"

#include "net/HeaderBlock.h"

namespace vidtrawl::net {

std::optional<ContentRange> AskedPartOf(const CurlRequest &request, const AskedPart &asked) {
  if (request.Headers().Status() != 206)
    return std::nullopt;
  const HeaderFields fields = ReadHeaderBlock(request.Headers().Block());
  const std::optional<ContentRange> range = ReadContentRange(fields.contentRange);
  if (!range || range->first != asked.from || (asked.last && range->last != *asked.last) ||
      (asked.length && range->length != asked.length))
    return std::nullopt;
  if (asked.version && (asked.version->empty() || StrongValidator(fields) != *asked.version))
    return std::nullopt;
  return range;
}

} // namespace vidtrawl::net
