#include "gui/PassStatus.h"

#include <algorithm>
#include <cmath>

namespace vidtrawl::gui {
namespace {

constexpr int kTickMillis = 500;

std::string SizeOf(double bytes) {
  return engine::FormatSize(bytes);
}

} // namespace

std::string DurationText(double seconds) {
  const long long whole = std::llround(std::max(0.0, seconds));
  if (whole < 60)
    return std::to_string(whole) + " s";
  if (whole < 3600)
    return std::to_string(whole / 60) + " min " + std::to_string(whole % 60) + " s";
  return std::to_string(whole / 3600) + " h " + std::to_string(whole % 3600 / 60) + " min";
}

std::string PassLine(const engine::PhaseCounts &counts, const engine::ItemView *current) {
  std::size_t all = 0;
  for (const std::size_t count : counts.byPhase)
    all += count;
  const std::size_t supported = all - counts[engine::Phase::Unsupported];
  const std::size_t complete = counts[engine::Phase::Complete];
  const std::size_t failed = counts[engine::Phase::Failed];
  if (current == nullptr) {
    if (supported == 0)
      return {};
    return std::to_string(complete) + " of " + std::to_string(supported) + " complete" +
           (failed > 0 ? ", " + std::to_string(failed) + " failed" : "");
  }
  const std::size_t position = std::min(supported, complete + failed + 1);
  const std::string of = " " + std::to_string(position) + " of " + std::to_string(supported);
  if (current->phase != engine::Phase::Receiving || !current->started)
    return "Preparing" + of;
  std::string line = "Downloading" + of + " · " + SizeOf(static_cast<double>(current->received));
  // A size that the file outgrew tells nothing about what is left.
  const bool sized = current->total > 0 && current->received <= current->total;
  if (sized)
    line += " of " + SizeOf(static_cast<double>(current->total));
  if (current->bytesPerSecond > 0)
    line += " · " + SizeOf(current->bytesPerSecond) + "/s";
  if (const std::optional<double> left = engine::SecondsLeft(*current))
    line += " · " + DurationText(*left) + " left";
  return line;
}

PassStatus::PassStatus(engine::Engine &engine, QObject *parent) : QObject(parent), engine_(engine) {
  ticker_.setInterval(kTickMillis);
  connect(&ticker_, &QTimer::timeout, this, [this] { Update(); });
  engine_.Subscribe(this);
  Update();
}

PassStatus::~PassStatus() {
  engine_.Unsubscribe(this);
}

void PassStatus::ItemChanged(std::size_t) {
  // While a pass runs the line follows it at the ticker's pace.
  if (!ticker_.isActive())
    Update();
}

void PassStatus::Update() {
  // The first item being downloaded, in list order.
  const std::optional<engine::Serial> serial = engine_.Current();
  const std::optional<engine::ItemView> item =
      serial ? engine_.Find(*serial) : std::optional<engine::ItemView>();
  const engine::ItemView *current = item ? &*item : nullptr;
  if (current != nullptr && !ticker_.isActive())
    ticker_.start();
  else if (current == nullptr)
    ticker_.stop();
  std::string text = PassLine(engine_.Counts(), current);
  if (text == text_)
    return;
  text_ = std::move(text);
  emit textChanged();
}

} // namespace vidtrawl::gui
