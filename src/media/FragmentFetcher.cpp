#include "media/FragmentFetcher.h"

#include "manifests/StreamFault.h"
#include "media/Aes128Cbc.h"
#include "net/HeaderBlock.h"
#include "net/Validators.h"

#include <algorithm>

namespace vidtrawl::media {
namespace {

using Track = FragmentStore::Track;

// A fragment kept in memory until it is whole (a keyed one, or one of no announced length)
// is no larger.
constexpr std::uint64_t kMaxHeldFragment = 256ull << 20;
// A key is 16 bytes; an answer much longer is no key.
constexpr std::size_t kMaxKeyBytes = 1024;
// The longest a server may have a failed request wait before the next try.
constexpr int kLongestRetryWait = 300;

base::Fault WebPageFault() {
  return {base::FaultKind::WebPage, "the server sent a web page, not a video"};
}

base::Fault ShortFault(std::uint64_t got, std::uint64_t wanted) {
  base::Fault fault{base::FaultKind::ShortBody, "a segment ended after " + std::to_string(got) +
                                                    " of its " + std::to_string(wanted) + " bytes"};
  fault.transient = true;
  return fault;
}

} // namespace

// One fragment's request, its bytes going where they belong as they arrive.
class FragmentFetcher::Fetch {
public:
  Fetch(FragmentFetcher &owner, Part part)
      : part_(std::move(part)), owner_(owner), request_(owner.session_, owner.requester_) {
    const manifests::StreamFragment &fragment = *part_.fragment;
    if (fragment.range)
      request_.AskFrom(fragment.range->offset, {},
                       fragment.range->offset + fragment.range->length - 1);
    request_.Begin(fragment.address,
                   {.open = [this](std::string_view first) { return Open(first); },
                    .received = [this] { owner_.Report(); },
                    .ended = [this] { Ended(); }});
  }

  const Part &Which() const { return part_; }
  Part &Which() { return part_; }
  std::uint64_t Arrived() const { return taken_; }

private:
  net::CurlRequest::Sink Open(std::string_view first) {
    const manifests::StreamFragment &fragment = *part_.fragment;
    if (net::IsWebPageBody(request_.ContentType(), first)) {
      fault_ = WebPageFault();
      return nullptr;
    }
    const std::int64_t announced = request_.AnnouncedLength();
    if (fragment.range) {
      want_ = fragment.range->length;
      if (request_.Headers().Status() == 206) {
        const std::optional<net::ContentRange> sent =
            net::ReadContentRange(net::ReadHeaderBlock(request_.Headers().Block()).contentRange);
        if (!sent || !sent->first || *sent->first != fragment.range->offset ||
            sent->last != fragment.range->offset + fragment.range->length - 1) {
          fault_ = base::Fault{base::FaultKind::HttpStatus,
                               "the server sent another part of a segment than was asked for", 206};
          return nullptr;
        }
      } else { // the whole file: the part is cut out of it
        skip_ = fragment.range->offset;
      }
    } else if (announced >= 0) {
      want_ = static_cast<std::uint64_t>(announced);
    }
    holding_ = fragment.key.has_value() || want_ == 0;
    if (!holding_)
      region_ = owner_.store_.Reserve(want_);
    return [this](const char *data, std::size_t size) { return Take(data, size); };
  }

  bool Take(const char *data, std::size_t size) {
    const std::size_t skipped = static_cast<std::size_t>(std::min<std::uint64_t>(skip_, size));
    skip_ -= skipped;
    data += skipped;
    size -= skipped;
    if (want_ > 0 && size > want_ - taken_) {
      size = static_cast<std::size_t>(want_ - taken_);
      whole_ = true; // what follows is not the fragment's
    }
    if (holding_) {
      if (held_.size() + size > kMaxHeldFragment) {
        fault_ = manifests::StreamFault("a segment is larger than " +
                                        std::to_string(kMaxHeldFragment >> 20) + " MiB");
        return false;
      }
      held_.append(data, size);
    } else if (size > 0 && !owner_.store_.Write(region_ + taken_, data, size)) {
      fault_ = owner_.store_.WriteFault();
      return false;
    }
    taken_ += size;
    return !whole_;
  }

  void Ended() {
    FragmentFetcher &owner = owner_;
    if (fault_) {
      owner.Fetched(*this, std::move(fault_));
      return;
    }
    if (!whole_ && (!request_.Succeeded() || !request_.Opened())) {
      owner.Fetched(*this, request_.Failure());
      return;
    }
    if (want_ > 0 && taken_ < want_) {
      owner.Fetched(*this, ShortFault(taken_, want_));
      return;
    }
    owner.Fetched(*this, Store());
  }

  std::optional<base::Fault> Store() {
    const manifests::StreamFragment &fragment = *part_.fragment;
    FragmentStore &store = owner_.store_;
    if (holding_) {
      if (fragment.key) {
        base::Outcome<std::string> plain =
            DecryptAes128Cbc(held_, owner_.keys_.at(fragment.key->address), fragment.key->iv);
        if (plain.Failed())
          return plain.Failure();
        held_ = std::move(plain.Value());
      }
      region_ = store.Reserve(held_.size());
      if (!store.Write(region_, held_.data(), held_.size()))
        return store.WriteFault();
      taken_ = held_.size();
    }
    store.Stored(part_.track, part_.index, region_, taken_);
    return std::nullopt;
  }

  Part part_;
  FragmentFetcher &owner_;
  net::CurlRequest request_;
  std::optional<base::Fault> fault_;
  bool holding_ = false;
  std::string held_;
  std::uint64_t region_ = 0; // where its bytes go in the store
  std::uint64_t want_ = 0;   // the bytes it promised; 0: it did not say
  std::uint64_t skip_ = 0;   // bytes before it in a whole file sent for it
  std::uint64_t taken_ = 0;
  bool whole_ = false; // every byte it promised is in; the rest of the answer is not wanted
};

FragmentFetcher::FragmentFetcher(net::Session &session, FragmentStore &store,
                                 const manifests::StreamPlan &plan, int atOnce,
                                 net::Requester requester, ProgressSink progress, Done done)
    : session_(session), store_(store), atOnce_(std::max(atOnce, 1)),
      requester_(std::move(requester)), progress_(std::move(progress)), done_(std::move(done)),
      wake_(session.Loop()), start_(session.Loop()) {
  const auto list = [&](Track track, const manifests::StreamTrack &source) {
    std::size_t index = 0;
    double start = 0;
    if (source.init)
      waiting_.push_back({track, index++, &*source.init, -1});
    for (const manifests::StreamFragment &fragment : source.fragments) {
      waiting_.push_back({track, index++, &fragment, start});
      start += fragment.seconds;
    }
  };
  list(Track::Video, plan.video);
  if (plan.audio)
    list(Track::Audio, *plan.audio);
  parts_ = waiting_.size();
  std::erase_if(waiting_, [&](const Part &part) {
    if (!store_.Has(part.track, part.index))
      return false;
    ++stored_;
    storedSeconds_ += part.fragment->seconds;
    return true;
  });
  std::stable_sort(waiting_.begin(), waiting_.end(),
                   [](const Part &a, const Part &b) { return a.start < b.start; });
  start_.Start(std::chrono::milliseconds(0), [this] {
    Report();
    if (waiting_.empty() && done_) {
      Done done = std::move(done_);
      done(std::nullopt); // last: the owner may destroy this fetcher
      return;
    }
    Fill();
  });
}

FragmentFetcher::~FragmentFetcher() = default;

void FragmentFetcher::Fill() {
  const Clock::time_point now = Clock::now();
  std::optional<Clock::time_point> next;
  for (auto part = waiting_.begin();
       part != waiting_.end() && running_.size() < static_cast<std::size_t>(atOnce_);) {
    if (part->due > now) {
      next = next ? std::min(*next, part->due) : part->due;
      ++part;
      continue;
    }
    if (const std::optional<manifests::SegmentKey> &key = part->fragment->key;
        key && !keys_.contains(key->address)) {
      FetchKey(key->address);
      ++part;
      continue;
    }
    Part taken = std::move(*part);
    part = waiting_.erase(part);
    running_.push_back(std::make_unique<Fetch>(*this, std::move(taken)));
  }
  if (next)
    wake_.Start(std::chrono::ceil<std::chrono::milliseconds>(*next - now), [this] { Fill(); });
}

void FragmentFetcher::FetchKey(const std::string &address) {
  if (keyFetches_.contains(address))
    return;
  keyFetches_[address] = std::make_unique<net::PageFetch>(
      session_, address, nullptr,
      [this, address](base::Outcome<net::Page> answer) {
        const std::unique_ptr<net::PageFetch> ended = std::move(keyFetches_[address]);
        keyFetches_.erase(address);
        if (answer.Failed()) {
          Fail(answer.Failure());
        } else if (answer.Value().text.size() != 16) {
          Fail(manifests::StreamFault("the key at " + address + " is not 16 bytes"));
        } else {
          keys_[address] = std::move(answer.Value().text);
          Fill();
        }
      },
      kMaxKeyBytes, requester_);
}

void FragmentFetcher::Fetched(Fetch &fetch, std::optional<base::Fault> fault) {
  const auto at = std::find_if(running_.begin(), running_.end(),
                               [&](const auto &running) { return running.get() == &fetch; });
  Part part = std::move(fetch.Which());
  const std::unique_ptr<Fetch> ended = std::move(*at); // goes when this call does
  running_.erase(at);
  if (!done_)
    return; // it ended already
  if (fault) {
    if (!fault->transient || part.failures >= session_.Rules().retries) {
      fault->transient = false; // its tries are spent
      Fail(std::move(*fault));
      return;
    }
    // 1, 2, 4 s ... unless the server asked for a wait of its own.
    const int seconds = fault->retryAfter >= 0 ? std::min(fault->retryAfter, kLongestRetryWait)
                                               : 1 << std::min(part.failures, 8);
    ++part.failures;
    part.due = Clock::now() + std::chrono::seconds(seconds);
    waiting_.insert(
        std::upper_bound(waiting_.begin(), waiting_.end(), part,
                         [](const Part &a, const Part &b) { return a.start < b.start; }),
        std::move(part));
    Fill();
    return;
  }
  ++stored_;
  storedSeconds_ += part.fragment->seconds;
  Report();
  if (stored_ == parts_) {
    Done done = std::move(done_);
    done(std::nullopt); // last: the owner may destroy this fetcher
    return;
  }
  Fill();
}

void FragmentFetcher::Report() {
  if (!progress_)
    return;
  Progress progress{store_.Bytes(), stored_, parts_, storedSeconds_};
  for (const std::unique_ptr<Fetch> &fetch : running_)
    progress.bytes += fetch->Arrived();
  progress_(progress);
}

void FragmentFetcher::Fail(base::Fault fault) {
  if (!done_)
    return;
  // The other fragments stop here: nothing is received for a download that failed.
  wake_.Stop();
  running_.clear();
  keyFetches_.clear();
  Done done = std::move(done_);
  done_ = nullptr;
  done(std::move(fault)); // last: the owner may destroy this fetcher
}

} // namespace vidtrawl::media
