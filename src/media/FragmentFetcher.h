#pragma once

#include "base/Fault.h"
#include "host/EventLoop.h"
#include "manifests/StreamPlan.h"
#include "media/FragmentStore.h"
#include "net/CurlRequest.h"
#include "net/PageFetch.h"
#include "net/Session.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
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
// fetched once), written where its answer made room for it. A fragment whose request fails
// for now is tried again after 1, 2, 4 s (or what the server asked for) while the session's
// retries allow, the others going on meanwhile; the speed limit is the session's. It starts
// at once; destroying it stops it, and the store keeps the whole fragments.
class FragmentFetcher {
public:
  struct Progress {
    std::uint64_t bytes = 0; // in the store, and of the fragments arriving
    std::size_t stored = 0;  // fragments whole
    std::size_t parts = 0;   // fragments in all
    double seconds = 0;      // what the whole ones play for
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
  void Start(Part part);
  void FetchKey(const std::string &address);
  void Fetched(Fetch &fetch, std::optional<base::Fault> fault);
  void Report();
  void Fail(base::Fault fault);

  net::Session &session_;
  FragmentStore &store_;
  int atOnce_;
  net::Requester requester_;
  ProgressSink progress_;
  Done done_;
  std::vector<Part> waiting_; // in the order they play
  std::vector<std::unique_ptr<Fetch>> running_;
  std::map<std::string, std::string> keys_;
  std::map<std::string, std::unique_ptr<net::PageFetch>> keyFetches_;
  std::size_t parts_ = 0;
  std::size_t stored_ = 0;
  double storedSeconds_ = 0;
  host::Timer wake_;  // for a part whose next try is due
  host::Timer start_; // the first fill, and an end with nothing to fetch, on the loop
};

} // namespace vidtrawl::media
