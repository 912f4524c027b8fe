#include "scheduler/ItemJob.h"

#include "base/AsciiCase.h"
#include "base/ControlCharacters.h"
#include "base/NameVariant.h"
#include "base/TrimBlanks.h"
#include "extractor/WhenAsked.h"
#include "list/DownloadList.h"
#include "list/FileNaming.h"
#include "media/FragmentStore.h"
#include "media/Remuxer.h"
#include "net/CompletedFile.h"
#include "pagesearch/AnswerMedia.h"
#include "sites/SiteTable.h"

#include <cmath>

namespace vidtrawl::scheduler {
namespace {

namespace fs = std::filesystem;
using base::Phase;
using list::Item;

// A partial file's name is one of this many variants of the file's.
constexpr int kMaxVariants = 1000;

// Whether a Content-Type (after its "/") is a web page's.
bool IsWebPageType(const std::string &type) {
  return type.rfind("html", 0) == 0 || type.rfind("xhtml", 0) == 0;
}

} // namespace

ItemJob::ItemJob(JobHost &host, list::DownloadList &items, list::Serial serial, base::Trace trace)
    : host_(host), items_(items), serial_(serial), trace_(trace.ForItem(serial)),
      retries_(host.Session().Rules().retries), retry_(host.Session().Loop()) {}

ItemJob::~ItemJob() = default;

const Item &ItemJob::Record() const {
  // The job ends before its item leaves the list (Discard).
  return *items_.Find(serial_);
}

base::Phase ItemJob::Phase() const {
  return Record().phase;
}

void ItemJob::Enter(base::Phase phase, std::string_view why,
                    const std::function<void(Item &)> &change) {
  items_.SetPhase(serial_, phase, why, change);
}

bool ItemJob::Sample(RateMeter::Clock::time_point now) {
  moved_ = moved_ || run_.retryAt.has_value(); // its wait counts down
  if (run_.reported) {
    rate_.Add(now, run_.progress.bytes);
    const double recent = rate_.Recent();
    moved_ = moved_ || recent != run_.bytesPerSecond;
    run_.bytesPerSecond = recent;
  }
  run_.transferSeconds = std::chrono::duration<double>(now - started_).count();
  return std::exchange(moved_, false);
}

void ItemJob::Start() {
  started_ = RateMeter::Clock::now();
  const Item &item = Record();
  page_ = item.address;
  site_ = item.site;
  requester_ = net::Requester(site_ != nullptr ? sites::AgentFor(*site_) : net::Agent::Browser,
                              trace_, host_.RequestOf(serial_));
  // A run goes on from what the last one left in the partial file.
  run_.progress = {item.received, item.total, item.fragments, item.fragmentsStored};
  Enter(Phase::Resolving, "taken by the pass", [&](Item &it) {
    it.folder = host_.Folder().string();
    it.alreadyThere = false;
    it.fault.reset();
  });
  Resolve();
}

void ItemJob::Resolve() {
  run_.pagePercent = 0;
  extracted_.reset();
  formats_.reset();
  ownFinding_.clear();
  if (const std::string why = ExtractorAsked(nullptr); !why.empty()) {
    AskExtractor(why);
    return;
  }
  lookup_ = std::make_unique<sites::VideoLookup>(
      host_.Session(), site_, page_,
      [this](std::uint64_t received, std::uint64_t announced) {
        run_.pagePercent =
            announced == 0
                ? std::nullopt
                : std::optional<int>(static_cast<int>(std::nearbyint(
                      static_cast<double>(received) * 100.0 / static_cast<double>(announced))));
        moved_ = true;
      },
      [this](base::Outcome<pagesearch::ResolvedVideo> outcome) { Resolved(std::move(outcome)); },
      requester_);
}

void ItemJob::Resolved(base::Outcome<pagesearch::ResolvedVideo> outcome) {
  if (outcome.Failed()) {
    if (std::string why = ExtractorAsked(&outcome.Failure()); !why.empty()) {
      AskExtractor(why);
      ownFinding_ = std::move(why);
    } else
      Fail(outcome.Failure());
    return;
  }
  video_ = pagesearch::AtQuality(std::move(outcome.Value()), host_.Streams().quality);
  if (!video_.files.empty())
    trace_(base::TraceTopic::Page, "of the page's " + std::to_string(video_.files.size()) +
                                       " files the quality asked takes " +
                                       base::TracedAddress(video_.address));
  items_.Update(serial_, [&](Item &it) { it.videoAddress = video_.address; });
  if (Streaming())
    PlanStream();
  else
    Ask();
}

std::string ItemJob::ExtractorAsked(const base::Fault *fault) const {
  return extractor::WhyAsked(host_.Extractor(), site_, page_, fault);
}

void ItemJob::AskExtractor(const std::string &why) {
  lookup_.reset();
  run_.pagePercent.reset();
  moved_ = true;
  trace_(base::TraceTopic::Page, why + ": the site extractor decides");
  query_ = std::make_unique<extractor::ExtractorQuery>(
      host_.Session().Loop(), host_.Extractor(), host_.Session().Client(),
      host_.RequestOf(serial_).get(), page_, trace_,
      [this](base::Outcome<extractor::ExtractorAnswer> outcome) { Extracted(std::move(outcome)); });
}

void ItemJob::Extracted(base::Outcome<extractor::ExtractorAnswer> outcome) {
  query_.reset();
  if (outcome.Failed()) {
    // What the program's own rules found comes first: the extractor's words may not say it.
    base::Fault fault = outcome.Failure();
    if (!ownFinding_.empty())
      fault.detail = ownFinding_ + "; " + fault.detail;
    Fail(std::move(fault));
    return;
  }
  const std::string name = host_.Extractor().Name();
  extractor::ExtractorAnswer &answer = outcome.Value();
  extractor::VideoInfo video = std::move(answer.video);
  if (answer.playlist) {
    if (answer.entries.empty()) {
      Fail({base::FaultKind::Extractor, name + " found a playlist of no video"});
      return;
    }
    // The page's video is this item's; the playlist's others are items of their own, after the
    // last, unless only the page's video is wanted.
    video = std::move(answer.entries.front());
    using Playlists = extractor::ExtractorSettings::Playlists;
    const Playlists playlists = host_.Extractor().playlists;
    std::vector<std::string> others;
    for (std::size_t i = 1; i < answer.entryAddresses.size(); ++i)
      if (!answer.entryAddresses[i].empty())
        others.push_back(answer.entryAddresses[i]);
    if (playlists != Playlists::PageOnly && !others.empty()) {
      trace_(base::TraceTopic::Page,
             name + " found a playlist of " + std::to_string(answer.entries.size()) +
                 " videos: the others are " +
                 (playlists == Playlists::Ask ? "offered to the user" : "added to the list"));
      if (playlists == Playlists::Ask)
        host_.PlaylistFound(serial_, answer.entries.size(), std::move(others));
      else
        items_.Add(others);
    }
  }
  std::string refused;
  std::optional<extractor::FormatChoice> choice =
      extractor::ChooseFormats(video, host_.Streams().quality, &refused);
  if (!choice) {
    Fail({base::FaultKind::Extractor,
          refused.empty()
              ? name + " found no video"
              : name + " offers the video only by protocols not supported (" + refused + ")"});
    return;
  }
  // Each request of its files carries what the extractor said they must, and what a browser gave.
  const std::shared_ptr<const base::ItemRequest> given = host_.RequestOf(serial_);
  auto request =
      given ? std::make_shared<base::ItemRequest>(*given) : std::make_shared<base::ItemRequest>();
  for (const auto &[header, value] : choice->video.headers) {
    // A line break in a page's text would end the header and start another.
    if (base::HasControlCharacter(header) || base::HasControlCharacter(value))
      continue;
    if (base::EqualsIgnoringCase(header, "Referer"))
      request->referer = value;
    else if (base::EqualsIgnoringCase(header, "User-Agent"))
      request->userAgent = value;
    else
      request->headers.push_back(header + ": " + value);
  }
  requester_.item = std::move(request);
  requester_.agent = net::Agent::Browser;
  const auto describe = [](const extractor::Format &format) {
    return format.id + " (" + format.protocol +
           (format.height > 0 ? ", " + std::to_string(format.height) + "p" : "") + ")";
  };
  trace_(base::TraceTopic::Page,
         name + " decided: " + describe(choice->video) +
             (choice->audio ? " joined with " + describe(*choice->audio) : std::string()));
  using Transport = extractor::FormatTransport;
  const Transport transport = extractor::TransportOf(choice->video);
  const pagesearch::VideoProtocol protocol =
      choice->audio || transport == Transport::Fragments ? pagesearch::VideoProtocol::Formats
      : transport == Transport::Hls                      ? pagesearch::VideoProtocol::Hls
                                                         : pagesearch::VideoProtocol::File;
  std::string address = choice->video.address;
  if (address.empty() && !choice->video.fragments.empty())
    address = choice->video.fragments.front().address;
  video_ = {address, video.title, protocol};
  extracted_ = std::move(video);
  formats_ = std::move(choice);
  items_.Update(serial_, [&](Item &it) { it.videoAddress = video_.address; });
  if (Streaming())
    PlanStream();
  else
    Ask();
}

std::string ItemJob::Source() const {
  // Asked again, the extractor gives a new signed address for the same file: an earlier run's
  // bytes are found by the page and format, and joined only where the server proves them of the
  // same version (the validator noted with them), else the file starts over.
  if (formats_ && !formats_->audio && video_.protocol == pagesearch::VideoProtocol::File &&
      !formats_->video.id.empty())
    return page_ + "#format=" + formats_->video.id;
  return video_.address;
}

void ItemJob::Ask() {
  Enter(Phase::Asking, "the video is at " + base::TracedAddress(video_.address));
  info_ = std::make_unique<net::FileInfoRequest>(
      host_.Session(), video_.address,
      [this](base::Outcome<net::RemoteFile> outcome) { Asked(std::move(outcome)); }, requester_);
}

void ItemJob::Asked(base::Outcome<net::RemoteFile> outcome) {
  // A video file's address that its server answers with a web page is read
  // as the page it is (an error page of a missing file is no such page).
  if (site_->kind == sites::SiteKind::VideoFile && outcome.Done() && outcome.Value().exists &&
      IsWebPageType(outcome.Value().type)) {
    site_ = &sites::AnyPageSite();
    requester_.agent = sites::AgentFor(*site_);
    Enter(Phase::Resolving, "the address answers with a web page: it is searched for its video",
          [&](Item &it) { it.site = site_; });
    Resolve();
    return;
  }
  // A sound a page names is never its video (the user's own address to one is a file).
  if (site_->kind == sites::SiteKind::AnyPage && video_.address != page_ && outcome.Done() &&
      outcome.Value().exists &&
      base::StartsWithIgnoringCase(base::TrimBlanks(outcome.Value().contentType), "audio/") &&
      !pagesearch::PlaylistOfType(outcome.Value().contentType)) {
    Fail({base::FaultKind::NoVideoFoundOnPage,
          "its media is a sound (" + outcome.Value().contentType + ")"});
    return;
  }
  // A playlist's address that has no playlist's name: what the server calls it decides (the
  // known sites' files are files, as they always were).
  if (site_->kind != sites::SiteKind::Known && outcome.Done() && outcome.Value().exists)
    if (const auto protocol = pagesearch::PlaylistOfType(outcome.Value().contentType)) {
      video_.protocol = *protocol;
      PlanStream();
      return;
    }
  // The name comes from the address when the server gave none (or no answer).
  remote_ = outcome.Done() ? outcome.Value() : net::RemoteFile{};
  Propose(extracted_ ? list::NameOfStream(video_.title, video_.address, ExtractedExtension())
                     : list::NameOfVideo(remote_, video_.address, site_->naming, video_.title));
  const bool failed = outcome.Failed() || !remote_.exists;
  items_.Update(serial_, [&](Item &it) {
    it.sizeKnown = remote_.size ? list::SizeKnown::Bytes : list::SizeKnown::NotReported;
    it.size = remote_.size.value_or(0);
    if (failed) // no file is made: the name it would have had is shown
      it.fileName = proposed_;
  });
  if (outcome.Failed()) {
    Fail(outcome.Failure(), true);
    return;
  }
  // A file the server does not have is not received: its error page would
  // take the file's name.
  if (!remote_.exists) {
    Fail({base::FaultKind::FileMissing, {}}, true);
    return;
  }
  if (!FoundInFolder())
    Receive();
}

void ItemJob::Propose(const std::string &derived) {
  const Item &item = Record();
  proposed_ = item.fileName ? *item.fileName : derived;
  if (!item.nameTemplate.empty() && !item.nameTyped)
    proposed_ = list::NameFromTemplate(item.nameTemplate, FieldsOf(item));
}

void ItemJob::PlanStream() {
  // Its fragments are kept beside its partial file, under a longer name.
  remote_ = net::RemoteFile{};
  Propose(
      list::NameOfStream(video_.title, video_.address, media::ExtensionOf(media::Container::Mp4)));
  list::ShortenKeepingExtension(proposed_, list::kMaxStreamName);
  items_.Update(serial_, [&](Item &it) {
    it.sizeKnown = list::SizeKnown::NotReported;
    it.size = 0;
  });
  if (!FoundInFolder())
    Receive();
}

std::string ItemJob::ExtractedExtension() const {
  const std::string &ext = formats_ ? formats_->video.ext : std::string();
  return "." + (ext.empty() || base::HasControlCharacter(ext) || ext.find('/') != std::string::npos
                    ? std::string("mp4")
                    : ext);
}

list::NameFields ItemJob::FieldsOf(const Item &item) const {
  const fs::path name(proposed_);
  list::NameFields fields{video_.title, {}, std::string(site_->name), name.extension().string()};
  if (fields.title.empty())
    fields.title = name.stem().string();
  if (!fields.ext.empty())
    fields.ext.erase(0, 1);
  if (extracted_ && !extracted_->id.empty()) {
    fields.id = extracted_->id;
    fields.uploader = extracted_->uploader;
    return fields;
  }
  // The page address's v= parameter, else the last part of its path.
  const std::string &page = item.address;
  const std::size_t query = page.find('?');
  std::size_t v = query == std::string::npos ? std::string::npos : page.find("v=", query);
  while (v != std::string::npos && page[v - 1] != '?' && page[v - 1] != '&')
    v = page.find("v=", v + 1);
  if (v != std::string::npos) {
    fields.id = page.substr(v + 2, page.find('&', v) - v - 2);
  } else {
    const std::string path = page.substr(0, page.find_first_of("?#"));
    fields.id = fs::path(path.substr(path.rfind('/') + 1)).stem().string();
  }
  return fields;
}

bool ItemJob::FoundInFolder() {
  // A file this program completed from the same address, unchanged since,
  // under the name the file would have or a variant of it, is the item's.
  // A stream's file may be Matroska where MP4 could not hold its codecs.
  if (Streaming() && fs::path(proposed_).extension() == media::ExtensionOf(media::Container::Mp4))
    if (FoundInFolder(fs::path(proposed_)
                          .replace_extension(media::ExtensionOf(media::Container::Matroska))
                          .string()))
      return true;
  return FoundInFolder(proposed_);
}

bool ItemJob::FoundInFolder(const std::string &name) {
  for (int n = 1; n <= kMaxVariants; ++n) {
    const std::string candidate = base::NameVariant(name, n);
    const fs::path target = host_.Folder() / candidate;
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(target, ec)))
      return false;
    const std::optional<std::uint64_t> size =
        net::CompletedFile::From(target, Source(), remote_.version);
    if (!size || (remote_.size && *remote_.size != *size))
      continue;
    Enter(Phase::Complete, "the folder holds it already as " + candidate, [&](Item &it) {
      it.fileName = candidate;
      it.sizeKnown = list::SizeKnown::Bytes;
      it.size = *size;
      it.alreadyThere = true;
    });
    End();
    return true;
  }
  return false;
}

void ItemJob::Receive() {
  // The bytes go into a partial file of this address's: the one an earlier
  // download of the item left, else one a stopped download of the address
  // left under a variant of the name (whatever files of those names came
  // since), else a new one under the first free variant.
  const fs::path &folder = host_.Folder();
  const std::string address = source_ = Source();
  using Slot = net::PartialFile::Slot;
  // A stream's fragments, in their store beside its partial file, decide whether it goes on;
  // either of the two busy keeps the name taken.
  const std::string store = Streaming() ? media::FragmentStore::kSuffix : "";
  const auto slotOf = [&](const fs::path &target) {
    const Slot own = net::PartialFile::Probe(target, address);
    return own == Slot::Busy || store.empty()
               ? own
               : net::PartialFile::Probe(target.string() + store, address);
  };
  const auto anyPartial = [&](const fs::path &target) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(target.string() + net::PartialFile::kSuffix, ec)) ||
           (!store.empty() && fs::exists(fs::symlink_status(
                                  target.string() + store + net::PartialFile::kSuffix, ec)));
  };
  partName_ = Record().partName;
  if (partName_.empty() || slotOf(folder / partName_) == Slot::Busy) {
    std::string free;
    partName_.clear();
    for (int n = 1; n <= kMaxVariants && partName_.empty(); ++n) {
      const std::string candidate = base::NameVariant(proposed_, n);
      const fs::path target = folder / candidate;
      const Slot slot = slotOf(target);
      if (slot == Slot::Resumable)
        partName_ = candidate;
      else if (slot == Slot::Free && free.empty())
        free = candidate;
      // Past the last name the folder holds there is nothing more of this address's.
      std::error_code ec;
      if (slot == Slot::Free && !fs::exists(fs::symlink_status(target, ec)) && !anyPartial(target))
        break;
    }
    if (partName_.empty())
      partName_ = free.empty() ? proposed_ : free;
  }
  // A name of the user's template may hold folders below the download folder; the claim says
  // why where one cannot be made.
  if (const fs::path parent = (folder / partName_).parent_path(); parent != folder) {
    std::error_code ec;
    fs::create_directories(parent, ec);
  }
  base::Outcome<net::PartialFile> claimed =
      net::PartialFile::Claim((folder / partName_).string(), address);
  if (claimed.Failed()) {
    Fail(claimed.Failure());
    return;
  }
  file_.emplace(std::move(claimed.Value()));
  items_.Update(serial_, [&](Item &it) { it.partName = partName_; });
  Transfer();
}

void ItemJob::Transfer() {
  Enter(Phase::Receiving, Streaming() ? "its fragments are fetched into " + partName_
                                      : "it is received into " + partName_);
  transfer_.reset(); // what it holds (a stream's store) is free for the next
  transfer_ = StartTransfer(
      {host_.Session(), video_, *file_,
       net::ExpectedFile{remote_.size.value_or(0), remote_.version, remote_.contentType},
       host_.Streams(), requester_, formats_ ? &*formats_ : nullptr},
      [this](const TransferProgress &progress) {
        run_.progress = progress;
        run_.reported = true;
        moved_ = true;
      },
      [this](base::Outcome<scheduler::Received> outcome) { Received(std::move(outcome)); });
  host_.WantsName();
}

void ItemJob::Name(const std::string &name) {
  named_ = true;
  items_.Update(serial_, [&](Item &it) { it.fileName = name; });
  file_->Retarget((host_.Folder() / name).string(), proposed_);
  if (received_)
    Complete();
}

void ItemJob::Renamed(const std::string &name) {
  // The user's name is the file's.
  if (file_) {
    named_ = true;
    file_->Retarget((host_.Folder() / name).string(), name);
  }
}

void ItemJob::Received(base::Outcome<scheduler::Received> outcome) {
  if (outcome.Failed()) {
    Fail(outcome.Failure());
    return;
  }
  // A container the name does not say (Matroska where MP4 could not hold the codecs): the name's
  // extension follows it, unless the user chose the name, and then too when the name chosen says
  // the other container.
  const std::string named = fs::path(file_->Target()).extension().string();
  if (const std::string_view extension = outcome.Value().extension;
      !extension.empty() && named != extension &&
      (!Record().nameTyped || media::ClaimsOtherContainer(named, extension))) {
    proposed_ = fs::path(proposed_).replace_extension(extension).string();
    if (named_) {
      const std::string name = NameInFolder().replace_extension(extension).string();
      items_.Update(serial_, [&](Item &it) { it.fileName = name; });
      file_->Retarget((host_.Folder() / name).string(), proposed_);
    }
  }
  received_ = outcome.Value();
  if (named_)
    Complete();
}

fs::path ItemJob::NameInFolder() const {
  // A template's folders are part of the name.
  return fs::path(file_->Target()).lexically_relative(host_.Folder());
}

void ItemJob::Complete() {
  // A file of the item's name may have appeared meanwhile: it gets the next free variant.
  if (!completion_)
    completion_ = std::make_unique<net::FileCompletion>(
        host_.Session().Loop(), *file_,
        [this](std::optional<base::Fault> fault) { Completed(std::move(fault)); });
}

void ItemJob::Completed(std::optional<base::Fault> fault) {
  completion_.reset();
  if (fault) {
    Fail(std::move(*fault));
    return;
  }
  transfer_->Completed();
  const std::string saved = NameInFolder().string();
  host_.Completed(saved);
  run_.progress.bytes = received_->bytes;
  Enter(Phase::Complete, "saved as " + saved, [&](Item &it) {
    it.fileName = saved;
    it.partName.clear();
    it.sizeKnown = list::SizeKnown::Bytes;
    it.size = received_->bytes;
    Keep(it);
    it.bytesPerSecond = rate_.Average();
  });
  End();
}

bool ItemJob::Retry(const base::Fault &fault) {
  const std::uint64_t bytes = transfer_ ? transfer_->Bytes() : file_ ? file_->Written() : 0;
  const std::optional<std::chrono::seconds> wait = retries_.Next(fault, bytes);
  if (!wait)
    return false;
  trace_(base::TraceTopic::Retry, fault.detail + "; tried again in " +
                                      std::to_string(wait->count()) + " s (try " +
                                      std::to_string(retries_.Failures() + 1) + ")");
  const base::Phase phase = Phase();
  run_.retryAt = RateMeter::Clock::now() + *wait;
  moved_ = true;
  retry_.Start(*wait, [this, phase] {
    run_.retryAt.reset();
    if (phase == Phase::Resolving)
      Resolve();
    else if (phase == Phase::Asking)
      Ask();
    else
      Transfer();
  });
  return true;
}

void ItemJob::Fail(base::Fault fault, bool fileMissing) {
  if (Retry(fault))
    return;
  fault.ofPage = fault.ofPage || Phase() == Phase::Resolving;
  const std::string why = fault.detail.empty() ? "failed" : fault.detail;
  Enter(Phase::Failed, why, [&](Item &it) {
    it.fault = std::move(fault);
    if (fileMissing)
      it.sizeKnown = list::SizeKnown::Missing;
    Keep(it);
  });
  End();
}

void ItemJob::Keep(Item &item) const {
  item.received = run_.progress.bytes;
  item.total = run_.progress.total;
  item.fragments = run_.progress.fragments;
  item.fragmentsStored = run_.progress.stored;
  item.bytesPerSecond = 0;
  // The whole of it, from the page to the last byte.
  item.transferSeconds = std::chrono::duration<double>(RateMeter::Clock::now() - started_).count();
}

void ItemJob::End() {
  host_.Ended(*this);
}

void ItemJob::StopWork() {
  retry_.Stop();
  completion_.reset();
  transfer_.reset();
  info_.reset();
  lookup_.reset();
  query_.reset();
}

void ItemJob::Cancel(base::Phase phase, std::string_view why) {
  StopWork();
  file_.reset(); // its bytes stay under the partial name
  Enter(phase, why, [&](Item &it) { Keep(it); });
}

void ItemJob::Discard() {
  StopWork();
  if (file_)
    file_->Discard();
  file_.reset();
  if (!partName_.empty())
    RemoveLeftovers((host_.Folder() / partName_).string(), source_);
}

} // namespace vidtrawl::scheduler
