#include "list/Item.h"

#include <array>
#include <utility>

namespace vidtrawl::list {
namespace {

// Stable words, whatever the enum becomes: the list file keeps them. A phase is written under its
// first word; the later ones are what older lists called it.
constexpr std::array<std::pair<Phase, std::string_view>, 11> kPhaseKeys{{
    {Phase::Waiting, "waiting"},
    {Phase::Unsupported, "unsupported"},
    {Phase::Resolving, "resolving"},
    {Phase::Asking, "asking"},
    {Phase::Receiving, "receiving"},
    {Phase::Complete, "complete"},
    {Phase::Failed, "failed"},
    {Phase::Cancelled, "cancelled"},
    {Phase::Paused, "paused"},
    {Phase::Resolving, "preparing"},
    {Phase::Receiving, "transferring"},
}};

} // namespace

std::string_view PhaseKey(Phase phase) {
  for (const auto &[known, key] : kPhaseKeys)
    if (known == phase)
      return key;
  return kPhaseKeys.front().second;
}

std::optional<Phase> PhaseOfKey(std::string_view key) {
  for (const auto &[phase, known] : kPhaseKeys)
    if (known == key)
      return phase;
  return std::nullopt;
}

void EnterPhase(Item &item, Phase phase, std::string_view why, const base::Trace &trace) {
  if (trace.On())
    trace.ForItem(item.serial)(base::TraceTopic::Item, std::string(PhaseKey(item.phase)) + " -> " +
                                                           std::string(PhaseKey(phase)) + ": " +
                                                           std::string(why));
  item.phase = phase;
}

} // namespace vidtrawl::list
