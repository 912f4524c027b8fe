#include "gui/ListKeeper.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vidtrawl::gui {
namespace {

constexpr int kDelayMillis = 1000;

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

ListKeeper::ListKeeper(engine::Engine &engine, std::filesystem::path file, QObject *parent)
    : QObject(parent), engine_(engine), file_(std::move(file)) {
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

ListKeeper::Kept ListKeeper::KeptOf(const engine::Item &item) {
  return {item.serial, item.phase, item.fileName.value_or(""), item.partName};
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
  std::string note = engine_.LoadList(file_);
  loading_ = false;
  kept_.clear();
  for (const engine::Item &item : engine_.List().Items())
    kept_.push_back(KeptOf(item));
  return note;
}

void ListKeeper::Flush() {
  delay_.stop();
  if (file_.empty())
    return;
  if (!engine_.SaveList(file_))
    std::fprintf(stderr, "vidtrawl: the download list could not be written to %s\n", file_.c_str());
  kept_.clear();
  for (const engine::Item &item : engine_.List().Items())
    kept_.push_back(KeptOf(item));
}

void ListKeeper::ItemChanged(std::size_t index) {
  const engine::DownloadList &list = engine_.List();
  if (index < kept_.size() && index < list.Count() && kept_[index] == KeptOf(list[index]))
    return; // only its bytes moved on
  Changed();
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
