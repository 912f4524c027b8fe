#pragma once

#include "base/Fault.h"
#include "host/EventLoop.h"
#include "manifests/StreamPlan.h"
#include "media/FragmentStore.h"
#include "media/SizeEstimate.h"
#include "net/CurlRequest.h"
#include "net/PageFetch.h"
#include "net/Session.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vidtrawl::media {

// Fetches the fragments of a stream's plan that its store lacks into the store, `atOnce` at a
// time, in the order they play (the tracks side by side), on the session's loop: each its byte
// range only, checked (no web page, every byte it promised), decrypted when keyed (each key
// fetched once), written where its answer made room for it. A fragment the store holds the
// beginning of is asked for its rest only, when the server still calls it what it called it
// (the rule of every resumed download: the same strong ETag, else the same Last-Modified); the
// store hears where the fragments being received stand a few times a second, and when they
// stop. A fragment whose request fails for now is tried again after 1, 2, 4 s (or what the
// server asked for) while the session's retries allow, going on from its bytes, the others going
// on meanwhile; the speed limit is the session's. A fault names what failed (the segment, the
// key). It starts at once; destroying it stops it, and the store keeps what arrived.
class FragmentFetcher {
public:
  struct Progress {
    std::uint64_t bytes = 0; // in the store, and of the fragments arriving
    std::uint64_t total = 0; // what all the fragments will weigh (SizeEstimate)
    bool exact = false;      // the total is known, not estimated
    std::size_t stored = 0;  // fragments whole
    std::size_t parts = 0;   // fragments in all
  };
  using ProgressSink = std::function<void(const Progress &)>;
  // Nothing: every fragment is in the store. A fragment's fault once its tries are spent is
  // no longer transient; a key's fault is as it came.
  using Done = std::function<void(std::optional<base::Fault>)>;

  FragmentFetcher(net::Session &session, FragmentStore &store, const manifests::StreamPlan &plan,
                  int atOnce, net::Requester requester, ProgressSink progress, Done done);
  ~FragmentFetcher();
  FragmentFetcher(const FragmentFetcher &) = delete;
  FragmentFetcher &operator=(const FragmentFetcher &) = delete;

private:
  using Clock = std::chrono::steady_clock;
  struct Part {
    FragmentStore::Track track = FragmentStore::Track::Video;
    std::size_t index = 0; // in its track, init fragment first
    const manifests::StreamFragment *fragment = nullptr;
    double start = 0; // when it plays, in seconds
    int failures = 0;
    Clock::time_point due{};
  };
  class Fetch;

  void Fill();
  void FetchKey(const std::string &address);
  void Fetched(Fetch &fetch, std::optional<base::Fault> fault);
  void Report();
  void Fail(base::Fault fault);
  // Tells the store where the fragments being received stand; the fault of a note not kept.
  std::optional<base::Fault> NoteCuts();
  void NoteSoon();

  net::Session &session_;
  FragmentStore &store_;
  int atOnce_;
  net::Requester requester_;
  ProgressSink progress_;
  Done done_;
  std::deque<Part> waiting_; // in the order they play
  std::vector<std::unique_ptr<Fetch>> running_;
  std::map<std::string, std::string> keys_;
  std::map<std::string, std::unique_ptr<net::PageFetch>> keyFetches_;
  SizeEstimate sizes_;
  std::array<const manifests::StreamFragment *, 2> initOf_{}; // each track's init fragment
  std::size_t parts_ = 0;
  std::size_t stored_ = 0;
  host::Timer wake_;  // for a part whose next try is due
  host::Timer start_; // the first fill, and an end with nothing to fetch, on the loop
  host::Timer notes_; // the next note of where the fragments being received stand
};

} // namespace vidtrawl::media
