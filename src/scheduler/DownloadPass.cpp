#include "scheduler/DownloadPass.h"

#include "base/ScopedFlag.h"
#include "list/DownloadList.h"
#include "list/FileNaming.h"
#include "net/FileInfoRequest.h"
#include "net/FileTransfer.h"
#include "net/PartialFile.h"
#include "resolve/PageResolver.h"

#include <cmath>
#include <system_error>

namespace vidtrawl::scheduler {
namespace {

namespace fs = std::filesystem;
using list::Item;
using list::Phase;
using list::Serial;

// Whether a Content-Type (after its "/") is a web page's.
bool IsWebPageType(const std::string &type) {
  return type.rfind("html", 0) == 0 || type.rfind("xhtml", 0) == 0;
}

} // namespace

DownloadPass::DownloadPass(list::DownloadList &items, resolve::PageResolver &pages,
                           net::Session &session)
    : items_(items), pages_(pages), session_(session), names_(items) {}

void DownloadPass::RequestStop() {
  if (running_)
    stopRequested_ = true;
}

std::optional<DownloadPass::Outcome> DownloadPass::EndedMeanwhile(Serial serial) {
  if (stopRequested_) {
    items_.Update(serial, [](Item &item) { item.phase = Phase::Cancelled; });
    return Outcome::Stopped;
  }
  if (!items_.IndexOf(serial))
    return Outcome::Gone;
  return std::nullopt;
}

void DownloadPass::Fail(Serial serial, base::Fault fault, bool fileMissing) {
  items_.Update(serial, [&](Item &item) {
    item.phase = Phase::Failed;
    item.fault = std::move(fault);
    if (fileMissing)
      item.sizeKnown = list::SizeKnown::Missing;
  });
  ++summary_.failed;
}

DownloadPass::Summary DownloadPass::Run(const fs::path &folder) {
  if (running_)
    return {}; // one pass at a time: requests run one at a time
  std::error_code ec;
  fs::create_directories(folder, ec); // a folder that cannot be made fails each item, with why

  stopRequested_ = false;
  summary_ = {};
  names_.Clear();
  base::ScopedFlag running(running_);
  struct Unfollow {
    std::optional<Serial> &current;
    ~Unfollow() { current.reset(); }
  } unfollow{current_};

  if (items_.Empty())
    return summary_;
  // Items are followed by their serials, since the user may add, remove or
  // move items while one is processed: the pass goes on with the item that
  // followed the processed one, and the last item noted now is where a pass
  // that got there by skipping ends.
  const Serial lastNoted = items_[items_.Count() - 1].serial;
  std::size_t i = 0;
  while (i < items_.Count()) {
    const Serial serial = items_[i].serial;
    const Serial following = i + 1 < items_.Count() ? items_[i + 1].serial : 0;
    const Outcome outcome =
        list::IsFinished(items_[i]) ? Outcome::Skipped : Process(serial, folder);
    if (outcome == Outcome::Stopped)
      break;

    // The next item: the one that followed this one, wherever it stands
    // now; else the one after this item's place (items appended meanwhile
    // are reached that way).
    std::optional<std::size_t> next;
    if (following != 0)
      next = items_.IndexOf(following);
    if (!next) {
      const std::optional<std::size_t> here = items_.IndexOf(serial);
      next = here ? *here + 1 : std::min(i, items_.Count());
    }
    if (outcome == Outcome::Skipped) {
      // After a skip the pass ends at the last item noted when it began.
      const std::optional<std::size_t> last = items_.IndexOf(lastNoted);
      if (serial == lastNoted || !last || *last < *next)
        break;
    }
    i = *next;
  }
  return summary_;
}

DownloadPass::Outcome DownloadPass::Process(Serial serial, const fs::path &folder) {
  current_ = serial;
  const net::StopCheck stop = [this, serial] { return stopRequested_ || !items_.IndexOf(serial); };
  const Item *item = items_.Find(serial);
  const std::string page = item->address;
  const resolve::Site *site = item->site;
  items_.Update(serial, [&](Item &it) {
    it.phase = Phase::Preparing;
    it.folder = folder.string();
    it.pagePercent = 0;
    it.pageRead = false;
    it.received = it.total = 0;
    it.fault.reset();
  });
  // The host runs between the steps: the user sees each, and may stop or edit.
  session_.Pump().Yield();
  if (const auto ended = EndedMeanwhile(serial))
    return *ended;

  std::optional<base::Outcome<resolve::ResolvedVideo>> video;
  std::optional<base::Outcome<net::RemoteFile>> remote;
  for (;;) {
    video = pages_.Resolve(
        site, page,
        [&](std::uint64_t received, std::uint64_t announced) {
          items_.Update(serial, [&](Item &it) {
            it.pagePercent =
                announced == 0
                    ? std::nullopt
                    : std::optional<int>(static_cast<int>(std::nearbyint(
                          static_cast<double>(received) * 100.0 / static_cast<double>(announced))));
          });
        },
        stop);
    if (const auto ended = EndedMeanwhile(serial))
      return *ended;
    if (video->Failed()) {
      Fail(serial, video->Failure());
      return Outcome::Skipped;
    }
    items_.Update(serial, [](Item &it) { it.pageRead = true; });
    session_.Pump().Yield();
    if (const auto ended = EndedMeanwhile(serial))
      return *ended;
    remote = net::AskFileInfo(session_, video->Value().address, stop);
    if (const auto ended = EndedMeanwhile(serial))
      return *ended;
    // A video file's address that its server answers with a web page is read
    // as the page it is.
    if (site->parse != nullptr || !remote->Done() || !IsWebPageType(remote->Value().type))
      break;
    site = &resolve::AnyPageSite();
    items_.Update(serial, [&](Item &it) {
      it.site = site;
      it.pageRead = false;
    });
  }
  const std::string &videoAddress = video->Value().address;
  // The name comes from the address when the server gave none (or no answer).
  const net::RemoteFile file = remote->Done() ? remote->Value() : net::RemoteFile{};
  items_.Update(serial, [&](Item &it) {
    if (!it.fileName)
      it.fileName = list::NameOfVideo(file, videoAddress, site->naming, video->Value().title);
    it.sizeKnown = file.size ? list::SizeKnown::Bytes : list::SizeKnown::NotReported;
    it.size = file.size.value_or(0);
  });
  if (remote->Failed()) {
    Fail(serial, remote->Failure(), true);
    return Outcome::Skipped;
  }
  // A file the server does not have is not received: its error page would
  // take the file's name.
  if (!file.exists) {
    Fail(serial, {base::FaultKind::FileMissing, {}}, true);
    return Outcome::Skipped;
  }

  // No file is overwritten, neither another item's, nor one this pass
  // completed, nor one the folder holds: the item is saved under a free
  // variant of its name, and shows it.
  const std::string name =
      names_.NameFor(*items_.IndexOf(serial), [&](const std::string &candidate) {
        return net::PartialFile::NameInUse(folder / candidate);
      });
  items_.Update(serial, [&](Item &it) { it.fileName = name; });
  // Bytes a stopped or failed transfer of the same file left are taken up again.
  base::Outcome<net::PartialFile> claimed =
      net::PartialFile::Claim((folder / name).string(), videoAddress);
  if (claimed.Failed()) {
    Fail(serial, claimed.Failure());
    return Outcome::Skipped;
  }
  const base::Outcome<std::uint64_t> received = net::TransferFile(
      session_, videoAddress, claimed.Value(), file.size.value_or(0),
      [&](std::uint64_t bytes, std::uint64_t announced) {
        items_.Update(serial, [&](Item &it) {
          it.phase = Phase::Transferring;
          it.received = bytes;
          it.total = announced;
        });
      },
      stop);
  if (const auto ended = EndedMeanwhile(serial))
    return *ended;
  if (received.Failed()) {
    Fail(serial, received.Failure());
    return Outcome::Transferred;
  }
  // A file of the item's name may have appeared while it was received.
  const std::string saved = fs::path(claimed.Value().Target()).filename().string();
  names_.Completed(saved);
  items_.Update(serial, [&](Item &it) {
    it.phase = Phase::Complete;
    it.fileName = saved;
    it.sizeKnown = list::SizeKnown::Bytes;
    it.size = received.Value();
  });
  ++summary_.completed;
  return Outcome::Transferred;
}

} // namespace vidtrawl::scheduler
