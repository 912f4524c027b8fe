#include "gui/ListKeeper.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vidtrawl::gui {
namespace {

constexpr int kDelayMillis = 1000;

std::string ProblemText(const engine::ListRead &read) {
  using Problem = engine::ListRead::Problem;
  switch (read.problem) {
  case Problem::TooLarge:
    return "it is larger than " + std::to_string(read.largest >> 20) + " MiB";
  case Problem::NotAList:
    return "it is not a list of Vidtrawl's (no JSON object)";
  case Problem::OtherVersion:
    return "it is not a list of Vidtrawl's, or one of another version";
  case Problem::NoItems:
    return "it holds no items";
  case Problem::DamagedItem:
    return "item " + std::to_string(read.item) + " is damaged";
  case Problem::None:
    break;
  }
  return {};
}

// Takes the lock of the list `file` for `session`; false with the holder's
// session in `holder` when another program holds it. A lock that cannot be
// made at all holds nothing back: the list is kept as before locks were.
bool LockList(const std::filesystem::path &file, const std::string &session,
              base::FileDescriptor &lock, std::string &holder) {
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  const std::string name = file.string() + ".lock";
  lock =
      base::FileDescriptor(::open(name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!lock)
    return true;
  if (::flock(lock.Get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK)
      return true;
    char text[256];
    const ssize_t got = ::pread(lock.Get(), text, sizeof text, 0);
    holder.assign(text, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    lock.Reset();
    return false;
  }
  if (::ftruncate(lock.Get(), 0) == 0)
    base::WriteAll(lock.Get(), session);
  return true;
}

} // namespace

std::string ListReadText(const engine::ListRead &read, const std::filesystem::path &file) {
  using Outcome = engine::ListRead::Outcome;
  const std::string list = "The download list in " + file.string();
  switch (read.outcome) {
  case Outcome::Missing:
    return {};
  case Outcome::Read:
    if (read.leftOut == 0)
      return {};
    return list + " holds " + std::to_string(read.held) + " items; " +
           std::to_string(read.leftOut) + (read.leftOut == 1 ? " was" : " were") +
           " left out (the list holds " + std::to_string(engine::kListCapacity) +
           ", each address once and none longer than " + std::to_string(engine::kMaxAddress) +
           " bytes).";
  case Outcome::Unreadable:
    return list + " cannot be read; Vidtrawl starts with an empty list and leaves the file alone.";
  case Outcome::Damaged:
    break;
  }
  return list + " could not be read (" + ProblemText(read) +
         "); Vidtrawl starts with an empty list. " +
         (read.keptAs.empty() ? "The file was left where it is."
                              : "The file is kept as " + read.keptAs.string() + ".");
}

ListKeeper::ListKeeper(engine::Engine &engine, host::EventLoop &loop, std::filesystem::path file,
                       QObject *parent)
    : QObject(parent), engine_(engine), loop_(loop), file_(std::move(file)) {
  delay_.setSingleShot(true);
  delay_.setInterval(kDelayMillis);
  connect(&delay_, &QTimer::timeout, this, [this] { Flush(); });
  engine_.Subscribe(this);
}

ListKeeper::~ListKeeper() {
  engine_.Unsubscribe(this);
  if (delay_.isActive())
    Flush();
}

std::string ListKeeper::Load(const std::string &session) {
  if (file_.empty())
    return {};
  if (std::string holder; !LockList(file_, session, lock_, holder)) {
    const std::string kept = file_.string();
    file_.clear();
    return "Your download list (" + kept + ") is kept by Vidtrawl in another session of yours" +
           (holder.empty() ? "" : " (display " + holder + ")") +
           ". This window's list starts empty and is not kept: end the other Vidtrawl to keep "
           "your list here.";
  }
  loading_ = true;
  const engine::ListRead read = engine_.LoadList(file_);
  loading_ = false;
  return ListReadText(read, file_);
}

void ListKeeper::Flush() {
  delay_.stop();
  if (file_.empty())
    return;
  if (!writer_)
    writer_ = std::make_unique<host::BackgroundFileWriter>(loop_, file_, [file = file_] {
      std::fprintf(stderr, "vidtrawl: the download list could not be written to %s\n",
                   file.c_str());
    });
  writer_->Write(engine_.ListText());
}

void ListKeeper::Reordered() {
  if (!loading_)
    Flush();
}

void ListKeeper::Changed() {
  if (!loading_ && !delay_.isActive())
    delay_.start();
}

} // namespace vidtrawl::gui
