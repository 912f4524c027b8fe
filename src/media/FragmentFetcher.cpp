#include "media/FragmentFetcher.h"

#include "manifests/StreamFault.h"
#include "media/Aes128Cbc.h"
#include "net/HeaderBlock.h"
#include "net/RangeAnswer.h"
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
// How often the store hears where the fragments being received stand.
constexpr std::chrono::milliseconds kNoteInterval{250};

base::Fault WebPageFault() {
  return {base::FaultKind::WebPage, "the server sent a web page, not a video"};
}

base::Fault ShortFault(std::uint64_t got, std::uint64_t wanted) {
  base::Fault fault{base::FaultKind::ShortBody, "a segment ended after " + std::to_string(got) +
                                                    " of its " + std::to_string(wanted) + " bytes"};
  fault.transient = true;
  return fault;
}

// A resumed fragment's is transient: asked again, the whole fragment comes.
base::Fault OtherPartFault(bool resumed) {
  base::Fault fault{base::FaultKind::HttpStatus,
                    "the server sent another part of a segment than was asked for", 206};
  fault.transient = resumed;
  return fault;
}

// A request's fault, naming what it was for: "the server answered 404 (segment ADDRESS)".
base::Fault Named(base::Fault fault, std::string_view what, std::string_view address) {
  constexpr std::size_t kShown = 200; // the rest of a hostile address tells a user nothing
  fault.detail += " (" + std::string(what) + " " + std::string(address.substr(0, kShown)) + ")";
  return fault;
}

} // namespace

// One fragment's request, its bytes going where they belong as they arrive: the rest of the
// beginning the store holds, when the server still has that version of it.
class FragmentFetcher::Fetch {
public:
  Fetch(FragmentFetcher &owner, Part part)
      : part_(std::move(part)), owner_(owner), request_(owner.session_, owner.requester_) {
    const manifests::StreamFragment &fragment = *part_.fragment;
    const std::uint64_t first = fragment.range ? fragment.range->offset : 0;
    if (!fragment.key)
      cut_ = owner_.store_.CutShort(part_.track, part_.index);
    if (cut_ && fragment.range && cut_->length != fragment.range->length)
      cut_.reset();
    // A beginning of every byte (cut just as its end came) leaves nothing to ask for by range:
    // the fragment is asked for whole.
    if (cut_ && cut_->taken >= cut_->length) {
      owner_.store_.DropCut(part_.track, part_.index);
      cut_.reset();
    }
    if (cut_) {
      noted = cut_->taken;
      request_.AskFrom(first + cut_->taken, cut_->validator, first + cut_->length - 1);
    } else if (fragment.range)
      request_.AskFrom(first, {}, first + fragment.range->length - 1);
    request_.Begin(fragment.address,
                   {.open = [this](std::string_view start) { return Open(start); },
                    .ready = [this] { return !owner_.store_.Backlogged(); },
                    .received = [this] { owner_.Report(); },
                    .ended = [this] { Ended(); }});
  }

  const Part &Which() const { return part_; }
  Part &Which() { return part_; }
  // Its bytes, those the store held of it before included.
  std::uint64_t Arrived() const { return opened_ ? taken_ : cut_ ? cut_->taken : 0; }
  // Where it stands, for the store's notes: nothing while it has no bytes there.
  std::optional<FragmentStore::Cut> Standing() const {
    // A fragment of which every byte came is no beginning: it ends at the next turn, and a
    // range after its last byte is none.
    if (!opened_ || holding_ || whole_ || taken_ == 0 || validator_.empty() ||
        (want_ > 0 && taken_ >= want_))
      return std::nullopt;
    return FragmentStore::Cut{region_, want_, taken_, validator_};
  }
  std::uint64_t noted = 0; // the bytes the store's notes give it

private:
  net::CurlRequest::Sink Open(std::string_view start) {
    const manifests::StreamFragment &fragment = *part_.fragment;
    FragmentStore &store = owner_.store_;
    if (net::IsWebPageBody(request_.ContentType(), start)) {
      fault_ = WebPageFault();
      return nullptr;
    }
    const net::HeaderFields fields = net::ReadHeaderBlock(request_.Headers().Block());
    validator_ = net::StrongValidator(fields);
    const std::int64_t announced = request_.AnnouncedLength();
    const std::uint64_t first = fragment.range ? fragment.range->offset : 0;
    std::optional<std::uint64_t> room; // the room of the store's beginning, still of use
    if (request_.Headers().Status() == 206) {
      // The part asked for, of the version the beginning is of (and of its file's length when
      // the fragment is the whole file), or none: the one check of every range answer.
      const std::uint64_t length = cut_             ? cut_->length
                                   : fragment.range ? fragment.range->length
                                                    : 0;
      const bool asked =
          net::AskedPartOf(request_,
                           {first + (cut_ ? cut_->taken : 0), first + length - 1,
                            cut_ && !fragment.range ? std::optional(cut_->length) : std::nullopt,
                            cut_ ? std::optional(cut_->validator) : std::nullopt})
              .has_value();
      if (!asked) {
        if (cut_)
          store.DropCut(part_.track, part_.index);
        fault_ = OtherPartFault(cut_.has_value());
        return nullptr;
      }
      want_ = length;
      if (cut_) {
        region_ = cut_->offset;
        taken_ = cut_->taken;
      }
    } else { // the whole resource: a part is cut out of it, a beginning is of no use
      skip_ = first;
      want_ = fragment.range   ? fragment.range->length
              : announced >= 0 ? static_cast<std::uint64_t>(announced)
                               : 0;
      if (cut_) {
        store.DropCut(part_.track, part_.index);
        if (cut_->length == want_)
          room = cut_->offset;
      }
    }
    opened_ = true;
    if (want_ > 0)
      owner_.sizes_.Known(static_cast<std::size_t>(part_.track), part_.index, want_);
    holding_ = fragment.key.has_value() || want_ == 0;
    if (!holding_ && taken_ == 0)
      region_ = room ? *room : store.Reserve(want_);
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
    const bool init = part_.fragment == owner.initOf_[static_cast<std::size_t>(part_.track)];
    const std::string_view what = init ? "initialization segment" : "segment";
    const std::string &address = part_.fragment->address;
    if (fault_) {
      // The store's own faults are told as they are; the server's name the fragment.
      const bool local =
          fault_->kind == base::FaultKind::LocalFile || fault_->kind == base::FaultKind::Stream;
      owner.Fetched(*this, local ? std::move(*fault_) : Named(std::move(*fault_), what, address));
      return;
    }
    if (!whole_ && (!request_.Succeeded() || !request_.Opened())) {
      owner.Fetched(*this, Named(request_.Failure(), what, address));
      return;
    }
    if (want_ > 0 && taken_ < want_) {
      owner.Fetched(*this, Named(ShortFault(taken_, want_), what, address));
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
      owner_.sizes_.Known(static_cast<std::size_t>(part_.track), part_.index, taken_);
    }
    return store.Stored(part_.track, part_.index, region_, taken_);
  }

  Part part_;
  FragmentFetcher &owner_;
  net::CurlRequest request_;
  std::optional<FragmentStore::Cut> cut_; // the beginning the store held when it started
  std::optional<base::Fault> fault_;
  std::string validator_;
  bool opened_ = false;
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
      wake_(session.Loop()), start_(session.Loop()), notes_(session.Loop()) {
  store_.TellRoom(session.Multi().RoomSignal());
  std::vector<Part> parts;
  const net::RetryPolicy retry(session.Rules().retries);
  const auto list = [&](Track track, const manifests::StreamTrack &source) {
    std::size_t index = 0;
    double start = 0;
    std::vector<double> seconds;
    if (source.init) {
      parts.push_back({track, index++, &*source.init, -1, retry});
      seconds.push_back(0);
      initOf_[static_cast<std::size_t>(track)] = &*source.init;
    }
    for (const manifests::StreamFragment &fragment : source.fragments) {
      parts.push_back({track, index++, &fragment, start, retry});
      seconds.push_back(fragment.seconds);
      start += fragment.seconds;
    }
    sizes_.AddTrack(seconds, source.init.has_value(), source.bitsPerSecond);
  };
  list(Track::Video, plan.video);
  if (plan.audio)
    list(Track::Audio, *plan.audio);
  parts_ = parts.size();
  std::erase_if(parts, [&](const Part &part) {
    const auto track = static_cast<std::size_t>(part.track);
    if (part.fragment->range && !part.fragment->key)
      sizes_.Known(track, part.index, part.fragment->range->length);
    if (!store_.Has(part.track, part.index))
      return false;
    sizes_.Known(track, part.index, store_.Length(part.track, part.index));
    ++stored_;
    return true;
  });
  std::stable_sort(parts.begin(), parts.end(),
                   [](const Part &a, const Part &b) { return a.start < b.start; });
  waiting_.assign(parts.begin(), parts.end());
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

FragmentFetcher::~FragmentFetcher() {
  // A stop keeps what arrived: where each fragment stands goes into the notes (a note that
  // cannot be kept now loses only those bytes).
  NoteCuts();
}

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
  NoteSoon();
}

void FragmentFetcher::NoteSoon() {
  if (!running_.empty() && !notes_.Active())
    notes_.Start(kNoteInterval, [this] {
      if (std::optional<base::Fault> fault = NoteCuts())
        Fail(std::move(*fault));
      else
        NoteSoon();
    });
}

std::optional<base::Fault> FragmentFetcher::NoteCuts() {
  for (const std::unique_ptr<Fetch> &fetch : running_) {
    const std::optional<FragmentStore::Cut> cut = fetch->Standing();
    if (!cut || cut->taken == fetch->noted)
      continue;
    if (std::optional<base::Fault> fault =
            store_.NoteCut(fetch->Which().track, fetch->Which().index, *cut))
      return fault;
    fetch->noted = cut->taken;
  }
  return std::nullopt;
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
          Fail(Named(answer.Failure(), "key", address));
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
    const std::optional<FragmentStore::Cut> cut = ended->Standing();
    const std::optional<std::chrono::seconds> wait =
        part.retry.Next(*fault, cut ? cut->taken : 0); // a fragment that got on has its tries anew
    if (!wait) {
      fault->transient = false; // its tries are spent
      Fail(std::move(*fault));
      return;
    }
    // Its next try goes on from the bytes it has.
    if (cut)
      if (std::optional<base::Fault> noted = store_.NoteCut(part.track, part.index, *cut)) {
        Fail(std::move(*noted));
        return;
      }
    part.due = Clock::now() + *wait;
    waiting_.insert(
        std::upper_bound(waiting_.begin(), waiting_.end(), part,
                         [](const Part &a, const Part &b) { return a.start < b.start; }),
        std::move(part));
    Fill();
    return;
  }
  ++stored_;
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
  Progress progress{store_.Bytes() + store_.CutBytes(), sizes_.Total(), sizes_.Exact(), stored_,
                    parts_};
  for (const std::unique_ptr<Fetch> &fetch : running_) {
    const std::optional<FragmentStore::Cut> held =
        store_.CutShort(fetch->Which().track, fetch->Which().index);
    const std::uint64_t before = held ? held->taken : 0;
    progress.bytes += fetch->Arrived() > before ? fetch->Arrived() - before : 0;
  }
  progress_(progress);
}

void FragmentFetcher::Fail(base::Fault fault) {
  if (!done_)
    return;
  // The other fragments stop here: nothing is received for a download that failed, and what
  // arrived is kept.
  NoteCuts();
  wake_.Stop();
  notes_.Stop();
  running_.clear();
  keyFetches_.clear();
  Done done = std::move(done_);
  done_ = nullptr;
  done(std::move(fault)); // last: the owner may destroy this fetcher
}

} // namespace vidtrawl::media
