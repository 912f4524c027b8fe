#pragma once

#include "base/Outcome.h"
#include "host/EventLoop.h"
#include "manifests/StreamChoice.h"
#include "manifests/StreamPlan.h"
#include "media/FragmentFetcher.h"
#include "media/FragmentStore.h"
#include "media/Remuxer.h"
#include "media/StreamPlanLookup.h"
#include "net/PartialFile.h"
#include "net/Session.h"
#include "pagesearch/VideoProtocol.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vidtrawl::media {

// How streams are downloaded.
struct StreamOptions {
  manifests::Quality quality;
  int fragmentsAtOnce = 1;
  // The audio's language where a manifest offers several (BCP 47: the page's); empty: the
  // user's (UserLanguage).
  std::string language = {};
};

// How far a stream's download has come: the bytes as they arrive, and what they will come to,
// estimated (SizeEstimate) until every fragment's size is known. While fragments remain the
// total, once there is one, is larger than the bytes.
struct StreamProgress {
  std::uint64_t bytes = 0;    // received
  std::uint64_t estimate = 0; // what all fragments will weigh (0: nothing is known yet)
  bool exact = false;         // `estimate` is the fragments' true size
  std::size_t stored = 0;     // fragments whole
  std::size_t parts = 0;      // fragments in all
};

// What became of a stream.
struct JoinedStream {
  std::uint64_t bytes = 0; // the file's
  Container container = Container::Mp4;
};

// A streaming playlist's video into one file: its plan looked up at the quality asked for
// (StreamPlanLookup), the fragments the item's store lacks fetched into it (FragmentFetcher),
// and the tracks joined without re-encoding into the item's partial file (Remuxer), a few
// packets at each turn of the loop. The store is the partial file's sibling (FragmentStore)
// and stays until the file is complete under its name (Completed), so that a stop, a failure
// or a failed rename loses no fragment. It starts at once and ends on the loop; destroying it
// stops it (a file half joined stays partial, and is joined again next time).
class StreamDownload {
public:
  using ProgressSink = std::function<void(const StreamProgress &)>;
  using Done = std::function<void(base::Outcome<JoinedStream>)>;

  StreamDownload(net::Session &session, std::string address, pagesearch::VideoProtocol protocol,
                 net::PartialFile &output, StreamOptions options, net::Requester requester,
                 ProgressSink progress, Done done);
  ~StreamDownload();

  // The fragments' bytes in the store.
  std::uint64_t Bytes() const { return store_ ? store_->Bytes() : 0; }
  // The file is complete under its name: its fragments go.
  void Completed();

private:
  void Planned(manifests::StreamPlan plan);
  void Fetched(std::optional<base::Fault> fault);
  void Join();
  void Step();
  void Report(const FragmentFetcher::Progress &progress);
  void Finish(base::Outcome<JoinedStream> outcome);

  net::Session &session_;
  std::string address_;
  net::PartialFile &output_;
  StreamOptions options_;
  net::Requester requester_;
  ProgressSink progress_;
  Done done_;
  std::unique_ptr<StreamPlanLookup> lookup_;
  manifests::StreamPlan plan_;
  std::optional<FragmentStore> store_;
  std::unique_ptr<FragmentFetcher> fetcher_;
  std::unique_ptr<Remuxer> remuxer_;
  StreamProgress shown_;
  host::Timer step_;
};

} // namespace vidtrawl::media
