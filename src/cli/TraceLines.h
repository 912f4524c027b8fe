#pragma once

#include "base/Trace.h"
#include "cli/ProgressView.h"
#include "engine/Engine.h"

namespace vidtrawl::cli {

// The trace on the console (-v): one line on stderr for each phase change, request, retry and
// step of a page's search, "[http] #2 GET ADDRESS", as yt-dlp's and curl's verbose lines go, clear
// of the progress display. An item is named by its ID in the list.
class TraceLines final : public base::TraceSink {
public:
  // `view`: the progress display that shares the console, when there is one.
  TraceLines(ConsoleWriter writer, ProgressView *&view) : writer_(std::move(writer)), view_(view) {}

  // The engine whose items the lines speak of (their IDs are its list's).
  void Follow(const engine::Engine *engine) { engine_ = engine; }
  void Write(const base::TraceLine &line) override;

private:
  ConsoleWriter writer_;
  ProgressView *&view_;
  const engine::Engine *engine_ = nullptr;
};

} // namespace vidtrawl::cli
