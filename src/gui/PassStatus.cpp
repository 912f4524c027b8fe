#include "gui/PassStatus.h"

#include <algorithm>
#include <cmath>

namespace vidtrawl::gui {
namespace {

// The speed is that of the last few seconds.
constexpr std::chrono::milliseconds kRateWindow{3000};
constexpr int kTickMillis = 500;

std::string SizeOf(double bytes) {
  return engine::FormatSize(bytes);
}

} // namespace

void RateMeter::Add(SteadyClock::time_point when, std::uint64_t bytes) {
  samples_.emplace_back(when, bytes);
  while (samples_.size() > 2 && when - samples_.front().first > kRateWindow)
    samples_.pop_front();
}

double RateMeter::Rate() const {
  if (samples_.size() < 2 || samples_.back().second < samples_.front().second)
    return 0;
  const double span =
      std::chrono::duration<double>(samples_.back().first - samples_.front().first).count();
  if (span < 0.5)
    return 0;
  return static_cast<double>(samples_.back().second - samples_.front().second) / span;
}

std::string DurationText(double seconds) {
  const long long whole = std::llround(std::max(0.0, seconds));
  if (whole < 60)
    return std::to_string(whole) + " s";
  if (whole < 3600)
    return std::to_string(whole / 60) + " min " + std::to_string(whole % 60) + " s";
  return std::to_string(whole / 3600) + " h " + std::to_string(whole % 3600 / 60) + " min";
}

std::string PassLine(const engine::DownloadList &list, const engine::Item *current, double rate) {
  std::size_t supported = 0, complete = 0, failed = 0;
  for (const engine::Item &item : list.Items()) {
    supported += item.phase != engine::Phase::Unsupported;
    complete += item.phase == engine::Phase::Complete;
    failed += item.phase == engine::Phase::Failed;
  }
  if (current == nullptr) {
    if (supported == 0)
      return {};
    return std::to_string(complete) + " of " + std::to_string(supported) + " complete" +
           (failed > 0 ? ", " + std::to_string(failed) + " failed" : "");
  }
  const std::size_t position = std::min(supported, complete + failed + 1);
  const std::string of = " " + std::to_string(position) + " of " + std::to_string(supported);
  if (current->phase != engine::Phase::Transferring)
    return "Preparing" + of;
  std::string line = "Downloading" + of + " · " + SizeOf(static_cast<double>(current->received));
  // A size that the file outgrew tells nothing about what is left.
  const bool sized = current->total > 0 && current->received <= current->total;
  if (sized)
    line += " of " + SizeOf(static_cast<double>(current->total));
  if (rate > 0) {
    line += " · " + SizeOf(rate) + "/s";
    if (sized)
      line += " · " + DurationText(static_cast<double>(current->total - current->received) / rate) +
              " left";
  }
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
  const std::optional<engine::Serial> serial = engine_.Current();
  const engine::Item *current =
      engine_.Downloading() && serial ? engine_.List().Find(*serial) : nullptr;
  if (current != nullptr) {
    if (!ticker_.isActive())
      ticker_.start();
    if (sampled_ != current->serial || current->phase != engine::Phase::Transferring)
      meter_.Clear();
    sampled_ = current->serial;
    if (current->phase == engine::Phase::Transferring)
      meter_.Add(SteadyClock::now(), current->received);
  } else {
    ticker_.stop();
    meter_.Clear();
    sampled_ = 0;
  }
  std::string text = PassLine(engine_.List(), current, meter_.Rate());
  if (text == text_)
    return;
  text_ = std::move(text);
  emit textChanged();
}

} // namespace vidtrawl::gui
