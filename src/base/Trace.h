#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vidtrawl::base {

// What a line of the trace speaks of: the prefix a verbose console shows, as yt-dlp's
// "[generic]" and curl's "*" lines do.
enum class TraceTopic {
  Item,   // a phase change, and why
  Page,   // a step of a page's search: the rule that decided, what was passed over
  Http,   // a request and its answer
  Retry,  // a try again, and its wait
  Stream, // a playlist or manifest read, a quality chosen, fragments joined
};
std::string_view TopicName(TraceTopic topic);

struct TraceLine {
  std::uint64_t item = 0; // the item's serial; 0: none
  TraceTopic topic = TraceTopic::Item;
  std::string text;
};

// Where the trace goes: a console's stderr, a window's per-item log. It never receives a cookie
// or a credential: the lines are made without them.
class TraceSink {
public:
  virtual ~TraceSink() = default;
  virtual void Write(const TraceLine &line) = 0;
};

// A handle that writes the lines of one item (or of none) to a sink, or nowhere; cheap to copy.
class Trace {
public:
  Trace() = default;
  explicit Trace(TraceSink *sink, std::uint64_t item = 0) : sink_(sink), item_(item) {}

  // Whether anyone reads: a line worth some work to make is made only then.
  bool On() const { return sink_ != nullptr; }
  void operator()(TraceTopic topic, std::string text) const;
  Trace ForItem(std::uint64_t item) const { return Trace(sink_, item); }
  std::uint64_t Item() const { return item_; }

private:
  TraceSink *sink_ = nullptr;
  std::uint64_t item_ = 0;
};

// An address as the trace shows it: without the user name and password it may carry.
std::string TracedAddress(std::string_view address);

} // namespace vidtrawl::base
