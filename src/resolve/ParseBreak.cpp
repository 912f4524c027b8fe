#include "resolve/PageParsers.h"
#include "resolve/PageSearch.h"

namespace vidtrawl::resolve {
namespace {

constexpr std::string_view kFileNameMarker = "sGlobalFileName='";
constexpr std::string_view kContentPathMarker = "sGlobalContentFilePath='";
static_assert(kFileNameMarker.size() == 17 && kContentPathMarker.size() == 24);

} // namespace

// The media address joins the content path and the file name, both quoted
// in the page; the content path is looked for only after the file name.
std::string ParseBreak(std::string_view pageText, std::string_view) {
  const std::optional<Pos> f = FindFrom(pageText, kFileNameMarker, 1);
  if (!f)
    return {};
  const Pos nameStart = *f + 17;
  const std::optional<Pos> q = FindFrom(pageText, "'", *f + 18);
  if (!q)
    return {};
  const std::optional<std::string> name = Mid(pageText, nameStart, *q - nameStart);
  if (!name)
    return {};

  const std::optional<Pos> c = FindFrom(pageText, kContentPathMarker, *q);
  if (!c)
    return {};
  const Pos pathStart = *c + 24;
  const std::optional<Pos> end = FindFrom(pageText, "'", pathStart);
  if (!end)
    return {};
  const std::optional<std::string> path = Mid(pageText, pathStart, *end - pathStart);
  if (!path)
    return {};
  return std::string(kBreakMediaBase) + *path + "/" + *name + ".flv";
}

} // namespace vidtrawl::resolve
