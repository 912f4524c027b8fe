#pragma once

#include "engine/Formats.h"
#include "extractor/ExtractorQuery.h"
#include "manifests/StreamChoice.h"
#include "net/Session.h"

#include <functional>
#include <memory>
#include <string>

namespace vidtrawl::engine {

// An address's formats as the site extractor offers them (a playlist's: its first video's), for
// a front end to list: each by its own id, protocol and extension, with its size where it says
// it; those a download would take (its format choice by `quality`) marked. A fault begins with
// `why`, when given: what the program's own rules found. It starts at once and ends on the loop;
// destroying it ends the program at once.
class ExtractorFormats {
public:
  using Done = std::function<void(FormatList)>;

  ExtractorFormats(net::Session &session, const extractor::ExtractorSettings &settings,
                   const std::string &address, manifests::Quality quality, std::string why,
                   base::Trace trace, Done done);

private:
  std::unique_ptr<extractor::ExtractorQuery> query_;
};

} // namespace vidtrawl::engine
