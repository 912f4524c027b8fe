#include "net/SegmentedTransfer.h"

#include "net/HeaderBlock.h"
#include "net/PageFetch.h"
#include "net/RangeAnswer.h"
#include "net/Validators.h"

#include <algorithm>

namespace vidtrawl::net {
namespace {

// No segment is made smaller: below this, one more connection costs more
// than it brings.
constexpr std::uint64_t kSmallestSegment = 1 << 20;
// How often the map is written down while the bytes arrive.
constexpr std::chrono::milliseconds kSaveInterval{1000};
// Connections that dropped are asked again at most this many times in a row without this many
// bytes coming meanwhile: a server that trickles and drops is given up on.
constexpr int kMostRelaunches = 32;
constexpr std::uint64_t kRelaunchProgress = 1 << 20;

} // namespace

bool SegmentedTransfer::Suits(const ExpectedFile &expected, const PartialFile &file,
                              int connections) {
  if (!file.Segments().empty())
    return true;
  return connections > 1 && expected.size >= 2 * kSmallestSegment && !expected.version.empty();
}

SegmentedTransfer::SegmentedTransfer(Session &session, std::string address, PartialFile &file,
                                     ExpectedFile expected, int connections, ProgressSink progress,
                                     Done done, Requester requester)
    : session_(session), address_(std::move(address)), file_(file), expected_(std::move(expected)),
      connections_(std::max(connections, 1)), progress_(std::move(progress)),
      done_(std::move(done)), requester_(std::move(requester)), turn_(session.Loop()),
      save_(session.Loop()) {
  file_.TellRoom(session_.Multi().RoomSignal());
  Start();
}

SegmentedTransfer::~SegmentedTransfer() {
  if (finished_)
    return; // it ended, and said how
  Stop();
  Save();
}

void SegmentedTransfer::Start() {
  const std::uint64_t length = expected_.size;
  // A map of this version of the file is gone on with; any other start is
  // made afresh from what is on disk.
  const std::string kept = file_.Segments();
  const bool sameVersion = !file_.Version().empty() && file_.Version() == expected_.version;
  std::optional<SegmentMap> map;
  if (!kept.empty() && sameVersion && length > 0)
    map = SegmentMap::Read(kept, length);
  if (!map) {
    // Bytes received in one piece of this version are the map's first segment.
    const std::uint64_t have = kept.empty() && sameVersion ? file_.Written() : 0;
    if (have == 0 && file_.Written() > 0)
      if (std::optional<base::Fault> fault = file_.Restart()) {
        early_ = std::move(fault);
        turn_.Start(std::chrono::milliseconds(0), [this] { Finish(std::move(*early_)); });
        return;
      }
    map = SegmentMap::Split(length, have, connections_, kSmallestSegment);
    file_.SetVersion(expected_.version);
    // A partial file written at places must say so: without its map it
    // would be taken for bytes in one piece. One that cannot keep a map is
    // received over one connection.
    if (length == 0 || expected_.version.empty() || !file_.SetSegments(map->Text())) {
      turn_.Start(std::chrono::milliseconds(0), [this] { Finish(base::Stopped{}, true); });
      return;
    }
  }
  map_ = std::move(*map);
  if (progress_)
    progress_(map_.Received(), length);
  // One connection first: until a part has come as asked, ranges are not
  // known to work for this file.
  for (std::size_t i = 0; i < map_.Segments().size(); ++i)
    if (!map_.Segments()[i].Whole()) {
      Launch(i);
      return;
    }
  turn_.Start(std::chrono::milliseconds(0), [this] { Fill(); });
}

void SegmentedTransfer::Launch(std::size_t segment) {
  auto connection = std::make_unique<Connection>();
  Connection &c = *connection;
  c.segment = segment;
  c.from = map_.Segments()[segment].Next();
  c.end = map_.Segments()[segment].end;
  c.request = std::make_unique<CurlRequest>(session_, requester_);
  if (CURL *easy = c.request->Easy())
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT,
                     static_cast<long>(session_.Limits().lowSpeedBytes));
  c.request->AskFrom(c.from, file_.Version(), map_.Segments()[segment].end - 1);
  running_.push_back(std::move(connection));
  c.request->Begin(IsHttpAddress(address_) ? address_ : std::string(),
                   {.open = [this, &c](std::string_view first) { return Open(c, first); },
                    .ready = [this] { return !file_.Backlogged(); },
                    .received =
                        [this] {
                          if (progress_)
                            progress_(map_.Received(), map_.Length());
                        },
                    .ended = [this, &c] { Ended(&c); }});
  if (!save_.Active())
    save_.Start(kSaveInterval, [this] { Save(); });
}

CurlRequest::Sink SegmentedTransfer::Open(Connection &c, std::string_view first) {
  if (IsWebPageBody(c.request->ContentType(), first)) {
    failure_ = base::Fault{base::FaultKind::WebPage, "the server sent a web page, not a video"};
    return {};
  }
  // Only the part asked for of the very file the others are of.
  if (!AskedPartOf(*c.request, {c.from, std::nullopt, map_.Length(),
                                std::optional<std::string>(file_.Version())})) {
    fallBack_ = true;
    return {};
  }
  if (!confirmed_) {
    confirmed_ = true;
    if (std::optional<base::Fault> fault = file_.Allocate(map_.Length())) {
      failure_ = std::move(fault);
      return {};
    }
    turn_.Start(std::chrono::milliseconds(0), [this] { Fill(); }); // the other connections
  }
  c.confirmed = true;
  return [this, &c](const char *data, std::size_t size) {
    // The segment's end may have moved closer since its range was asked for.
    SegmentMap::Segment &segment = map_.Segments()[c.segment];
    const std::size_t take =
        static_cast<std::size_t>(std::min<std::uint64_t>(size, segment.Left()));
    if (take > 0 && !file_.WriteAt(segment.Next(), data, take))
      return false;
    segment.done += take;
    // Past the end, or at an end that moved closer than its range asked: the connection is done.
    c.cut = take < size || (segment.Whole() && segment.end < c.end);
    return !c.cut;
  };
}

void SegmentedTransfer::Ended(Connection *connection) {
  // The connection goes on the next turn: its request is still at work.
  const auto it = std::find_if(running_.begin(), running_.end(),
                               [&](const auto &c) { return c.get() == connection; });
  std::unique_ptr<Connection> c = std::move(*it);
  running_.erase(it);
  ended_.push_back(std::move(c));
  Connection &ended = *ended_.back();
  if (failure_ || fallBack_) {
    Stop();
    Save();
    if (failure_)
      Finish(std::move(*failure_));
    else
      Finish(base::Stopped{}, true);
    return;
  }
  if (std::optional<base::Fault> fault = file_.WriteFault()) {
    Stop();
    Save();
    Finish(std::move(*fault));
    return;
  }
  const SegmentMap::Segment &segment = map_.Segments()[ended.segment];
  if (!ended.cut && !segment.Whole()) {
    // A dropped connection that brought something is asked again from
    // where it stopped, while the download gets on; one that brought
    // nothing ends the download with its reason (the owner may try again
    // later), unless others run: a server that takes no more connections
    // (429, 503) has the download go on with those it took, as aria2 does.
    const bool transient = ended.request->Succeeded() || ended.request->Failure().transient;
    if (segment.Next() > ended.from && transient) {
      if (map_.Received() >= relaunchedAt_ + kRelaunchProgress) {
        relaunches_ = 0;
        relaunchedAt_ = map_.Received();
      }
      if (++relaunches_ <= kMostRelaunches) {
        Launch(ended.segment);
        return;
      }
    } else if (transient && !running_.empty()) {
      connections_ = static_cast<int>(running_.size());
      requester_.trace(base::TraceTopic::Http,
                       "the server takes no more connections (" + ended.request->Failure().detail +
                           "): going on with " + std::to_string(connections_));
      turn_.Start(std::chrono::milliseconds(0), [this] { Fill(); });
      return;
    }
    // An answer that was no part (a 503 without a body) ends with its own reason.
    base::Fault fault = ended.request->Succeeded() && ended.request->Opened()
                            ? base::Fault{base::FaultKind::ShortBody,
                                          "the server sent a part of the file short", 0, 0, true}
                            : ended.request->Failure();
    Stop();
    Save();
    Finish(std::move(fault));
    return;
  }
  turn_.Start(std::chrono::milliseconds(0), [this] { Fill(); });
}

void SegmentedTransfer::Fill() {
  ended_.clear();
  if (!confirmed_ && !running_.empty())
    return;
  while (running_.size() < static_cast<std::size_t>(connections_)) {
    std::optional<std::size_t> next;
    for (std::size_t i = 0; i < map_.Segments().size() && !next; ++i)
      if (!map_.Segments()[i].Whole() &&
          std::none_of(running_.begin(), running_.end(),
                       [&](const auto &c) { return c->segment == i; }))
        next = i;
    // None left without a connection: a running one gives half its rest.
    if (!next && confirmed_)
      next = map_.SplitLargest(kSmallestSegment);
    if (!next)
      break;
    Launch(*next);
  }
  if (running_.empty() && map_.Complete()) {
    save_.Stop();
    // Complete once the file holds every byte it was handed.
    if (file_.Writing()) {
      turn_.Start(WriteBehind::kCatchUp, [this] { Fill(); });
      return;
    }
    if (std::optional<base::Fault> fault = file_.WriteFault()) {
      Finish(std::move(*fault));
      return;
    }
    Finish(map_.Length());
  }
}

void SegmentedTransfer::Save() {
  file_.SetSegments(map_.Text());
  if (!running_.empty())
    save_.Start(kSaveInterval, [this] { Save(); });
}

void SegmentedTransfer::Stop() {
  save_.Stop();
  for (auto &c : running_)
    ended_.push_back(std::move(c));
  running_.clear();
  for (auto &c : ended_)
    if (c->request && !c->request->Finished())
      c->request.reset(); // ends it without a word
}

void SegmentedTransfer::Finish(base::Outcome<std::uint64_t> outcome, bool fallBack) {
  finished_ = true;
  Done done = std::move(done_);
  done(std::move(outcome), fallBack); // last: the owner may destroy this transfer
}

} // namespace vidtrawl::net
