#include "scheduler/ItemTransfer.h"

#include "media/FragmentStore.h"
#include "net/Download.h"

#include <array>
#include <utility>

namespace vidtrawl::scheduler {
namespace {

using pagesearch::VideoProtocol;

// A file, over one connection or several.
class FileReceiver final : public ItemTransfer {
public:
  FileReceiver(const TransferStart &start, Progress progress, Done done)
      : download_(
            start.session, start.video.address, start.file, start.expected,
            [progress = std::move(progress)](std::uint64_t received, std::uint64_t announced) {
              progress({received, announced, 0, 0});
            },
            [done = std::move(done)](base::Outcome<std::uint64_t> outcome) {
              if (outcome.Failed())
                done(outcome.Failure());
              else
                done(Received{outcome.Value(), {}});
            },
            net::FileTransfer::Then::Leave, start.requester) {}

  std::uint64_t Bytes() const override { return download_.Received(); }

private:
  net::Download download_;
};

// A stream's fragments fetched and joined into the file.
class StreamReceiver final : public ItemTransfer {
public:
  StreamReceiver(const TransferStart &start, Progress progress, Done done)
      : stream_(
            start.session, start.video.address, start.video.protocol, start.file, start.streams,
            start.requester,
            [progress = std::move(progress)](const media::StreamProgress &p) {
              progress({p.bytes, p.estimate, p.parts, p.stored});
            },
            [done = std::move(done)](base::Outcome<media::JoinedStream> outcome) {
              if (outcome.Failed())
                done(outcome.Failure());
              else
                done(
                    Received{outcome.Value().bytes, media::ExtensionOf(outcome.Value().container)});
            }) {}

  std::uint64_t Bytes() const override { return stream_.Bytes(); }
  void Completed() override { stream_.Completed(); } // the fragments are the file now

private:
  media::StreamDownload stream_;
};

template <typename Transfer>
std::unique_ptr<ItemTransfer> Make(const TransferStart &start, ItemTransfer::Progress progress,
                                   ItemTransfer::Done done) {
  return std::make_unique<Transfer>(start, std::move(progress), std::move(done));
}

using Maker = std::unique_ptr<ItemTransfer> (*)(const TransferStart &, ItemTransfer::Progress,
                                                ItemTransfer::Done);
constexpr std::array<std::pair<VideoProtocol, Maker>, 3> kDownloaders{{
    {VideoProtocol::File, &Make<FileReceiver>},
    {VideoProtocol::Hls, &Make<StreamReceiver>},
    {VideoProtocol::Dash, &Make<StreamReceiver>},
}};

} // namespace

std::unique_ptr<ItemTransfer> StartTransfer(const TransferStart &start,
                                            ItemTransfer::Progress progress,
                                            ItemTransfer::Done done) {
  for (const auto &[protocol, make] : kDownloaders)
    if (protocol == start.video.protocol)
      return make(start, std::move(progress), std::move(done));
  return nullptr;
}

void RemoveLeftovers(const std::string &target, const std::string &source) {
  net::PartialFile::Remove(target, source);
  media::FragmentStore::Remove(target, source);
}

} // namespace vidtrawl::scheduler
