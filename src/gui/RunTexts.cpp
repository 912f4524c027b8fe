#include "gui/RunTexts.h"

#include <algorithm>
#include <cmath>

namespace vidtrawl::gui {
namespace {

using engine::Phase;

std::string Size(std::uint64_t bytes) {
  return engine::FormatSize(static_cast<double>(bytes));
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

std::string SpeedText(double bytesPerSecond) {
  return engine::FormatSize(bytesPerSecond) + "/s";
}

std::optional<int> ProgressPercent(const engine::ItemView &item) {
  if (item.phase == Phase::Complete)
    return 100;
  if (item.phase == Phase::Failed || item.phase == Phase::Unsupported ||
      (item.received == 0 && item.fragmentsStored == 0))
    return std::nullopt;
  if (const std::optional<long long> percent = engine::TransferPercent(item))
    return static_cast<int>(std::clamp<long long>(*percent, 0, 100));
  return std::nullopt;
}

std::string ProgressText(const engine::ItemView &item) {
  if (item.phase == Phase::Unsupported)
    return "the address belongs to no supported site";
  if (item.phase == Phase::Failed)
    return engine::ReasonText(item);
  if (item.phase == Phase::Complete)
    return item.sizeKnown == engine::SizeKnown::Bytes ? Size(item.size) : std::string();
  const std::optional<int> percent = ProgressPercent(item);
  if (!percent)
    return item.received > 0 ? Size(item.received) : std::string();
  // A stream's size is an estimate, worth telling only while it is ahead of the bytes.
  const bool streamLeft = item.fragmentsStored < item.fragments;
  const char *of = streamLeft ? " of about " : " of ";
  const bool ahead = streamLeft ? item.total > item.received : item.total >= item.received;
  return std::to_string(*percent) + "% · " + Size(item.received) +
         (ahead && item.total > 0 ? of + Size(item.total) : std::string());
}

std::string RowSpeedText(const engine::ItemView &item) {
  return item.phase == Phase::Receiving && item.bytesPerSecond > 0 ? SpeedText(item.bytesPerSecond)
                                                                   : std::string();
}

std::string TimeLeftText(const engine::ItemView &item) {
  const std::optional<double> left = engine::SecondsLeft(item);
  return left ? DurationText(*left) : std::string();
}

std::string PassLine(const engine::PhaseCounts &counts, const engine::PassProgress &pass) {
  const std::size_t running =
      counts[Phase::Resolving] + counts[Phase::Asking] + counts[Phase::Receiving];
  const std::pair<std::size_t, const char *> parts[] = {{running, " running"},
                                                        {counts[Phase::Waiting], " waiting"},
                                                        {counts[Phase::Paused], " paused"},
                                                        {counts[Phase::Complete], " done"},
                                                        {counts[Phase::Failed], " failed"}};
  std::string line;
  for (const auto &[count, what] : parts)
    if (count > 0)
      line += (line.empty() ? "" : " · ") + std::to_string(count) + what;
  if (running == 0)
    return line;
  if (pass.bytesPerSecond > 0)
    line += " · " + SpeedText(pass.bytesPerSecond);
  if (pass.secondsLeft && (pass.unsized == 0 || pass.bytesLeft > 0))
    line += std::string(" · ") + (pass.unsized > 0 ? "over " : "") +
            DurationText(*pass.secondsLeft) + " left";
  return line;
}

std::string LimitText(std::uint64_t bytesPerSecond) {
  return bytesPerSecond > 0 ? "Limit " + SpeedText(static_cast<double>(bytesPerSecond))
                            : std::string();
}

} // namespace vidtrawl::gui
