#include "cli/PlainProgressView.h"

#include "cli/ConsoleText.h"
#include "engine/Engine.h"

#include <cmath>

namespace vidtrawl::cli {
namespace {

std::string Prefix(const ItemView &item) {
  return "[" + std::to_string(item.id) + "] ";
}

std::string SizeOf(std::int64_t bytes) {
  return engine::FormatSize(static_cast<double>(bytes));
}

} // namespace

PlainProgressView::PlainProgressView(ConsoleWriter writer) : writer_(std::move(writer)) {}

std::string PlainProgressView::ChangeLine(const ItemView &item) const {
  std::string line = Prefix(item) + std::string(KindName(item.kind));
  switch (item.kind) {
  case StatusKind::Preparing:
    line += " " + item.url;
    break;
  case StatusKind::Downloading:
    line += " " + item.name;
    if (item.fragments > 0)
      line += " (" + std::to_string(item.fragments) + " fragments" +
              (item.total > 0 ? ", about " + engine::FormatSize(item.total) : "") + ")";
    else
      line += item.total > 0 ? " (" + engine::FormatSize(item.total) + ")" : " (size unknown)";
    break;
  case StatusKind::Complete:
  case StatusKind::Cancelled:
    line += " " + item.name;
    if (item.kind == StatusKind::Cancelled && item.bytes <= 0) {
      line += ", nothing kept";
    } else if (item.bytes >= 0) {
      line += ", " + SizeOf(item.bytes);
      if (item.seconds > 0)
        line += " in " + ElapsedText(item.seconds);
      if (item.kind == StatusKind::Cancelled)
        line += " kept";
    }
    break;
  case StatusKind::Error:
    line += ": " + item.name + (item.name == item.url ? "" : " (" + item.url + ")");
    break;
  case StatusKind::Unsupported:
    line += " " + item.url;
    break;
  case StatusKind::Waiting:
    break;
  }
  return line + "\n";
}

void PlainProgressView::Report(const ProgressSnapshot &snapshot, Clock::time_point now) {
  if (seen_.size() < snapshot.items.size())
    seen_.resize(snapshot.items.size());
  std::string text;
  for (std::size_t i = 0; i < snapshot.items.size(); ++i) {
    const ItemView &item = snapshot.items[i];
    Seen &seen = seen_[i];
    if (!seen.known) {
      // The state an item is added in needs no line of its own.
      seen.known = true;
      seen.kind = item.kind;
      if (item.kind == StatusKind::Waiting || item.kind == StatusKind::Unsupported)
        continue;
      seen.kind.reset();
    }
    if (item.kind != seen.kind) {
      seen.kind = item.kind;
      seen.decile = 0;
      seen.lastLine = now;
      text += ChangeLine(item);
      continue;
    }
    if (item.kind != StatusKind::Downloading || !item.current || item.bytes < 0)
      continue;
    if (item.total > 0 || item.fragments > 0) {
      const int decile = static_cast<int>(std::floor(item.Fraction() * 10.0));
      if (decile > seen.decile && decile < 10) {
        seen.decile = decile;
        text += Prefix(item) + std::to_string(decile * 10) + "% (" + SizeOf(item.bytes) +
                (item.fragments > 0 ? ", " + std::to_string(item.fragmentsStored) + "/" +
                                          std::to_string(item.fragments) + " fragments"
                                    : " of " + engine::FormatSize(item.total)) +
                ")\n";
      }
    } else if (now - seen.lastLine >= kUnsizedInterval) {
      seen.lastLine = now;
      text += Prefix(item) + SizeOf(item.bytes) + " so far\n";
    }
  }
  if (!text.empty())
    writer_(text);
}

} // namespace vidtrawl::cli
