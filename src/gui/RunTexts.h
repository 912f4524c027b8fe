#pragma once

#include "engine/Engine.h"

#include <optional>
#include <string>

namespace vidtrawl::gui {

// How far downloads are, in the desktop's words: the run columns, the details pane and the
// status line say it so. The list's own texts are the engine's (engine/ItemTexts.h).

// A duration for people: "45 s", "2 min 5 s", "1 h 3 min".
std::string DurationText(double seconds);
// "1.2 MB/s".
std::string SpeedText(double bytesPerSecond);

// Where an item's download stands, paused and stopped ones too: "45% · 12.5 MB of 28 MB",
// "12.5 MB" while its size is not known, the size once complete; a failed or unsupported item's
// reason in full; nothing before a byte arrives.
std::string ProgressText(const engine::ItemView &item);
// The share of it done that a bar shows; nothing while it is not known, or for an item that
// failed.
std::optional<int> ProgressPercent(const engine::ItemView &item);
// How fast a running download receives, and how long the rest takes; nothing otherwise.
std::string RowSpeedText(const engine::ItemView &item);
std::string TimeLeftText(const engine::ItemView &item);

// The status line: how many items run, wait, are done or failed (and paused), how fast the pass
// receives and how long the rest takes ("over" while items of no known size are left):
// "2 running · 5 waiting · 3 done · 1 failed · 4.2 MB/s · 1 min 4 s left". Nothing for an empty
// list.
std::string PassLine(const engine::PhaseCounts &counts, const engine::PassProgress &pass);
// The speed limit as the status line shows it: "Limit 1 MB/s"; nothing while none is set.
std::string LimitText(std::uint64_t bytesPerSecond);

} // namespace vidtrawl::gui
