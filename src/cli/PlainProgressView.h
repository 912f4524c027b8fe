#pragma once

#include "cli/ProgressView.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace vidtrawl::cli {

// Progress for a log (stderr is not a terminal): one line whenever an
// item's kind of status changes (preparing, downloading, complete, error,
// cancelled), and while a file is transferred one line per 10% when its
// size is known, or one every 5 seconds when it is not.
class PlainProgressView final : public ProgressView {
public:
  static constexpr std::chrono::seconds kUnsizedInterval{5};

  using Clock = std::chrono::steady_clock;
  explicit PlainProgressView(ConsoleWriter writer);

  void Show(const ProgressSnapshot &snapshot) override { Report(snapshot, Clock::now()); }
  void Finish(const ProgressSnapshot &snapshot) override { Report(snapshot, Clock::now()); }

  // Writes the lines due for this snapshot at this moment.
  void Report(const ProgressSnapshot &snapshot, Clock::time_point now);

private:
  struct Seen {
    bool known = false;
    std::optional<StatusKind> kind; // nothing: not seen yet, or its first line is due
    int decile = 0;
    Clock::time_point lastLine;
  };
  std::string ChangeLine(const ItemView &item) const;

  ConsoleWriter writer_;
  std::vector<Seen> seen_;
};

} // namespace vidtrawl::cli
