#include "gui/ListKeeper.h"

#include <cstdio>

namespace vidtrawl::gui {
namespace {

constexpr int kDelayMillis = 1000;

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

std::string ListKeeper::Load() {
  if (file_.empty())
    return {};
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
