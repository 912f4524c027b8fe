#include "gui/ListKeeper.h"

#include <cstdio>

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

std::string ListKeeper::Load() {
  if (file_.empty())
    return {};
  loading_ = true;
  const engine::ListRead read = engine_.LoadList(file_);
  loading_ = false;
  return ListReadText(read, file_);
}

void ListKeeper::Flush() {
  delay_.stop();
  if (file_.empty())
    return;
  if (!engine_.SaveList(file_))
    std::fprintf(stderr, "vidtrawl: the download list could not be written to %s\n", file_.c_str());
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
