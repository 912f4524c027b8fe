#pragma once

#include "base/Outcome.h"
#include "base/Trace.h"
#include "extractor/FormatChoice.h"
#include "media/StreamDownload.h"
#include "net/ClientOptions.h"
#include "net/FileTransfer.h"
#include "net/PartialFile.h"
#include "net/Session.h"
#include "pagesearch/ResolvedVideo.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vidtrawl::scheduler {

// What a transfer of an item's video starts from.
struct TransferStart {
  net::Session &session;
  const pagesearch::ResolvedVideo &video;
  net::PartialFile &file;     // claimed for the video; the bytes go there
  net::ExpectedFile expected; // what the header request said of a file
  const media::StreamOptions &streams;
  net::Requester requester;
  // The formats a site extractor offered, for a video of its formats.
  const extractor::FormatChoice *formats = nullptr;
};

// How far a transfer has come.
struct TransferProgress {
  std::uint64_t bytes = 0;   // received
  std::uint64_t total = 0;   // what it will weigh, as far as it can be told (0: unknown)
  std::size_t fragments = 0; // a stream's: in all (0: no stream), and whole
  std::size_t stored = 0;
};

// What a transfer that ended well leaves in the partial file.
struct Received {
  std::uint64_t bytes = 0;
  // The extension the written container calls for, where it decides the name's (a stream's
  // Matroska); empty: as named.
  std::string_view extension;
};

// An item's video on its way into its partial file, by the downloader its protocol calls for. It
// starts at once and ends on the loop; destroying it stops it, keeping what arrived.
class ItemTransfer {
public:
  using Progress = std::function<void(const TransferProgress &)>;
  using Done = std::function<void(base::Outcome<Received>)>;

  virtual ~ItemTransfer() = default;
  // What the transfer has, for the retry policy: more than at a failure is progress.
  virtual std::uint64_t Bytes() const = 0;
  // The file is complete under its name: what the transfer kept beside it goes.
  virtual void Completed() {}
};

// The downloader for the video's protocol, started (yt-dlp's PROTOCOL_MAP).
std::unique_ptr<ItemTransfer>
StartTransfer(const TransferStart &start, ItemTransfer::Progress progress, ItemTransfer::Done done);

// What a download of `source` into TARGET may have left beside TARGET: its partial file and a
// stream's fragments. They go, when they are the program's, of `source`, and nobody writes them.
void RemoveLeftovers(const std::string &target, const std::string &source);

} // namespace vidtrawl::scheduler
