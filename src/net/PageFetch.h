#pragma once

#include "base/Outcome.h"
#include "net/CurlRequest.h"
#include "net/Session.h"

#include <cstddef>
#include <functional>
#include <string>

namespace vidtrawl::net {

// No page is larger: a page address that delivers a video or an endless
// stream is no page.
inline constexpr std::size_t kMaxPageBytes = 16 * 1024 * 1024;

// A fetched page: its bytes as sent, and what the server called them (its
// Content-Type, charset and all; empty when it said nothing).
struct Page {
  std::string text;
  std::string contentType;
  // Where the page came from after redirections: what its relative
  // addresses are relative to.
  std::string address;
  std::string fileName; // the name its Content-Disposition offers; empty when none
};

// Whether the text is an address a request may be made for.
bool IsHttpAddress(const std::string &address);

// Fetches the page at an http or https address into memory: the whole body
// of a 200 answer. It starts at once; `progress` hears of each part that
// arrives and `done` of the end, on the loop. Destroying it stops it, and
// then `done` is not called.
class PageFetch {
public:
  using Done = std::function<void(base::Outcome<Page>)>;
  // Asked with the answer's headers (a page of no text yet) before its body
  // is kept: true when they say it is no page (a video file), and the fetch
  // ends there, `done` getting that page of no text.
  using EndsAtHead = std::function<bool(const Page &head)>;

  PageFetch(Session &session, const std::string &address, ProgressSink progress, Done done,
            std::size_t maxBytes = kMaxPageBytes, Requester requester = {},
            EndsAtHead endsAtHead = {});

private:
  // The page's headers and address, so far as the answer has come.
  Page Head();
  void Ended();

  CurlRequest request_;
  ProgressSink progress_;
  Done done_;
  std::size_t maxBytes_;
  EndsAtHead endsAtHead_;
  std::string text_;
  bool tooLarge_ = false;
  bool endedAtHead_ = false;
};

} // namespace vidtrawl::net
