// What the desktop benchmark (bench/gui.sh) asks of the X server, from the
// outside, as a window manager or a user would see the program:
//
//   x11_probe launch [OPTIONS] -- PROGRAM [ARG...]
//       Spawns PROGRAM (same environment) and times the spawn until a
//       top-level window of the given name and size is viewable. Prints
//       "MS WINDOW PID" (WINDOW in hex); with --drawn a fourth field, the
//       time until the window shows something other than the black root.
//       Unless --keep, the program is then sent SIGTERM and waited for.
//   x11_probe find [--name N] [--size WxH]
//       Prints the id of a viewable top-level window of that name and size.
//   x11_probe ping WINDOW [--seconds S] [--interval MS] [--until-size FILE BYTES] [--log FILE]
//       Sends _NET_WM_PING to WINDOW every MS milliseconds for S seconds (with
//       --until-size: until FILE holds BYTES bytes, S at most) and times each
//       reply. Prints one line:
//       "sent=.. answered=.. lost=.. p50_ms=.. p99_ms=.. max_ms=.." and, with
//       --until-size, "size_reached_ns=.." (CLOCK_REALTIME, to compare with
//       `date +%s%N`). --log writes "SENT LATENCY_MS" per ping, SENT in seconds
//       of CLOCK_REALTIME (to pick the pings of a stretch of time by the
//       clock), LATENCY_MS -1 for a lost one.
//
// Only listening is done on the root window: no window manager runs under
// Xvfb, and taking SubstructureRedirect would make the probe one, changing
// what it measures. Qt sends its ping reply to the root with the mask
// StructureNotify | SubstructureRedirect (seen with strace: Qt 6.4 writes
// SendEvent with mask 0x120000), so a listener without the redirect must
// select StructureNotify on the root to get it; SubstructureNotify alone
// never sees one.

#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

[[noreturn]] void Fail(const std::string &message) {
  std::fprintf(stderr, "x11_probe: %s\n", message.c_str());
  std::exit(1);
}

[[noreturn]] void Usage() {
  std::fputs("usage: x11_probe launch [--name N] [--size WxH] [--timeout S] [--keep] [--drawn] "
             "-- PROGRAM [ARG...]\n"
             "       x11_probe find [--name N] [--size WxH]\n"
             "       x11_probe ping WINDOW [--seconds S] [--interval MS] "
             "[--until-size FILE BYTES] [--log FILE]\n",
             stderr);
  std::exit(2);
}

template <class T> using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <class T> Reply<T> Own(T *reply) {
  return Reply<T>(reply, &std::free);
}

class Display {
public:
  Display() {
    connection_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection_))
      Fail("cannot open the display (is DISPLAY set?)");
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
  }
  ~Display() { xcb_disconnect(connection_); }
  Display(const Display &) = delete;
  Display &operator=(const Display &) = delete;

  xcb_connection_t *Connection() const { return connection_; }
  xcb_window_t Root() const { return root_; }

  xcb_atom_t Atom(const char *name) const {
    auto reply = Own(xcb_intern_atom_reply(
        connection_,
        xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    if (!reply)
      Fail(std::string("cannot intern ") + name);
    return reply->atom;
  }

  void Listen(xcb_window_t window, std::uint32_t mask) const {
    xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
  }

  // The window's title: _NET_WM_NAME (UTF-8) if set, else WM_NAME.
  std::string Name(xcb_window_t window) const {
    for (const xcb_atom_t property : {netWmName(), static_cast<xcb_atom_t>(XCB_ATOM_WM_NAME)}) {
      auto reply = Own(xcb_get_property_reply(
          connection_,
          xcb_get_property(connection_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
          nullptr));
      if (reply && reply->type != XCB_NONE)
        return std::string(static_cast<const char *>(xcb_get_property_value(reply.get())),
                           static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
    }
    return {};
  }

  std::optional<std::uint32_t> Cardinal(xcb_window_t window, xcb_atom_t property) const {
    auto reply = Own(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, property, XCB_ATOM_CARDINAL, 0, 1),
        nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
      return std::nullopt;
    return *static_cast<const std::uint32_t *>(xcb_get_property_value(reply.get()));
  }

  bool Viewable(xcb_window_t window) const {
    auto reply = Own(xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, window), nullptr));
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
  }

  bool SizeIs(xcb_window_t window, int width, int height) const {
    auto reply =
        Own(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
    return reply && reply->width == width && reply->height == height;
  }

  std::vector<xcb_window_t> TopLevels() const {
    auto reply =
        Own(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr));
    if (!reply)
      return {};
    const xcb_window_t *children = xcb_query_tree_children(reply.get());
    return {children, children + xcb_query_tree_children_length(reply.get())};
  }

  // Whether any of a few rows of the window differ from black (the root
  // under `Xvfb -br`): an unpainted window shows what lies beneath it.
  bool Drawn(xcb_window_t window, int width, int height) const {
    for (const int y : {height / 4, height / 2, 3 * height / 4}) {
      auto reply = Own(xcb_get_image_reply(connection_,
                                           xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP,
                                                         window, 0, static_cast<std::int16_t>(y),
                                                         static_cast<std::uint16_t>(width), 1, ~0u),
                                           nullptr));
      if (!reply)
        return false;
      const std::uint8_t *data = xcb_get_image_data(reply.get());
      const int length = xcb_get_image_data_length(reply.get());
      if (std::any_of(data, data + length, [](std::uint8_t byte) { return byte != 0; }))
        return true;
    }
    return false;
  }

  // Waits up to `timeout` for the connection to have data; false on timeout.
  bool Wait(Clock::duration timeout) const {
    pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(timeout).count();
    const int ready = ::poll(&fd, 1, static_cast<int>(std::max<long long>(ms, 0)));
    if (xcb_connection_has_error(connection_))
      Fail("the display connection broke");
    return ready > 0;
  }

private:
  xcb_atom_t netWmName() const {
    if (netWmName_ == XCB_NONE)
      netWmName_ = Atom("_NET_WM_NAME");
    return netWmName_;
  }

  xcb_connection_t *connection_;
  xcb_window_t root_;
  mutable xcb_atom_t netWmName_ = XCB_NONE;
};

struct Target {
  std::string name = "Vidtrawl";
  int width = 630;
  int height = 535;
};

bool ParseTargetOption(std::vector<std::string_view> &args, std::size_t &i, Target &target) {
  if (args[i] == "--name" && i + 1 < args.size()) {
    target.name = args[++i];
    return true;
  }
  if (args[i] == "--size" && i + 1 < args.size()) {
    if (std::sscanf(std::string(args[++i]).c_str(), "%dx%d", &target.width, &target.height) != 2)
      Usage();
    return true;
  }
  return false;
}

bool Matches(const Display &display, xcb_window_t window, const Target &target,
             std::optional<pid_t> pid) {
  if (!display.Viewable(window) || !display.SizeIs(window, target.width, target.height) ||
      display.Name(window) != target.name)
    return false;
  if (pid) {
    // A window of an earlier run still going away is not this one.
    static const xcb_atom_t netWmPid = display.Atom("_NET_WM_PID");
    const std::optional<std::uint32_t> owner = display.Cardinal(window, netWmPid);
    if (owner && static_cast<pid_t>(*owner) != *pid)
      return false;
  }
  return true;
}

int Find(std::vector<std::string_view> args) {
  Target target;
  for (std::size_t i = 0; i < args.size(); ++i)
    if (!ParseTargetOption(args, i, target))
      Usage();
  Display display;
  for (const xcb_window_t window : display.TopLevels())
    if (Matches(display, window, target, std::nullopt)) {
      std::printf("0x%" PRIx32 "\n", window);
      return 0;
    }
  std::fprintf(stderr, "x11_probe: no viewable window \"%s\" of %dx%d\n", target.name.c_str(),
               target.width, target.height);
  return 1;
}

int Launch(std::vector<std::string_view> args) {
  Target target;
  double timeoutSeconds = 30;
  bool keep = false;
  bool drawn = false;
  std::size_t i = 0;
  for (; i < args.size() && args[i] != "--"; ++i) {
    if (ParseTargetOption(args, i, target))
      continue;
    if (args[i] == "--timeout" && i + 1 < args.size())
      timeoutSeconds = std::atof(std::string(args[++i]).c_str());
    else if (args[i] == "--keep")
      keep = true;
    else if (args[i] == "--drawn")
      drawn = true;
    else
      Usage();
  }
  if (i + 1 >= args.size())
    Usage();
  std::vector<std::string> program(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
  std::vector<char *> argv;
  for (std::string &arg : program)
    argv.push_back(arg.data());
  argv.push_back(nullptr);

  Display display;
  // Top-level windows made from now on are reported here; the program's
  // window is one of them.
  display.Listen(display.Root(), XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
  // A round trip: the selection is in place before the program starts.
  Own(xcb_get_input_focus_reply(display.Connection(), xcb_get_input_focus(display.Connection()),
                                nullptr));

  pid_t pid = 0;
  // The program writes to our stderr: our stdout carries the result alone,
  // and a program kept running does not hold the reader of it open.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
  const Clock::time_point start = Clock::now();
  const int error = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0)
    Fail("cannot start " + program[0] + ": " + std::strerror(error));
  const Clock::time_point deadline = start + std::chrono::duration_cast<Clock::duration>(
                                                 std::chrono::duration<double>(timeoutSeconds));

  auto exited = [&] {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      Fail(program[0] + " ended (status " + std::to_string(status) + ") before its window showed");
    }
  };

  std::vector<xcb_window_t> candidates;
  std::optional<xcb_window_t> found;
  Clock::time_point shown{};
  while (!found) {
    if (Clock::now() >= deadline)
      Fail("no viewable window \"" + target.name + "\" within the time limit");
    display.Wait(
        std::min<Clock::duration>(deadline - Clock::now(), std::chrono::milliseconds(100)));
    bool recheck = false;
    Clock::time_point arrived{};
    while (auto event = Own(xcb_poll_for_event(display.Connection()))) {
      arrived = Clock::now();
      switch (event->response_type & 0x7f) {
      case XCB_CREATE_NOTIFY: {
        const auto *created = reinterpret_cast<xcb_create_notify_event_t *>(event.get());
        if (created->parent == display.Root()) {
          candidates.push_back(created->window);
          // The name may come after the map.
          display.Listen(created->window, XCB_EVENT_MASK_PROPERTY_CHANGE);
        }
        recheck = true;
        break;
      }
      case XCB_MAP_NOTIFY:
      case XCB_CONFIGURE_NOTIFY:
      case XCB_PROPERTY_NOTIFY:
        recheck = true;
        break;
      default:
        break;
      }
    }
    if (!recheck) {
      exited();
      continue;
    }
    for (const xcb_window_t window : candidates)
      if (Matches(display, window, target, pid)) {
        found = window;
        shown = arrived;
        break;
      }
  }

  std::string drawnField;
  if (drawn) {
    // Polled: the core protocol says nothing when a window is painted.
    while (!display.Drawn(*found, target.width, target.height)) {
      if (Clock::now() >= deadline)
        Fail("the window stayed black within the time limit");
      ::usleep(2000);
    }
    char text[32];
    std::snprintf(text, sizeof text, " %.1f", Millis(Clock::now() - start));
    drawnField = text;
  }

  std::printf("%.1f 0x%" PRIx32 " %d%s\n", Millis(shown - start), *found, static_cast<int>(pid),
              drawnField.c_str());
  std::fflush(stdout);
  if (!keep) {
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
  }
  return 0;
}

struct PingResult {
  std::size_t sent = 0;
  std::size_t answered = 0;
  std::vector<double> latencies; // answered only
};

double Percentile(std::vector<double> sorted, double p) {
  if (sorted.empty())
    return 0;
  std::sort(sorted.begin(), sorted.end());
  // Nearest rank.
  const auto rank =
      static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(sorted.size())));
  return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

long long RealtimeNanos() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// A server timestamp: the time of a property change on a window of our own.
std::uint32_t ServerTime(const Display &display) {
  xcb_connection_t *c = display.Connection();
  const xcb_window_t window = xcb_generate_id(c);
  const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_create_window(c, 0, window, display.Root(), -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                    XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
  xcb_change_property(c, XCB_PROP_MODE_APPEND, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, "");
  xcb_flush(c);
  std::uint32_t time = XCB_CURRENT_TIME;
  while (auto event = Own(xcb_wait_for_event(c))) {
    if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
      time = reinterpret_cast<xcb_property_notify_event_t *>(event.get())->time;
      break;
    }
  }
  xcb_destroy_window(c, window);
  return time;
}

bool HasProtocol(const Display &display, xcb_window_t window, xcb_atom_t protocols,
                 xcb_atom_t protocol) {
  auto reply = Own(xcb_get_property_reply(
      display.Connection(),
      xcb_get_property(display.Connection(), 0, window, protocols, XCB_ATOM_ATOM, 0, 64), nullptr));
  if (!reply || reply->format != 32)
    return false;
  const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
  const int count = xcb_get_property_value_length(reply.get()) / 4;
  return std::find(atoms, atoms + count, protocol) != atoms + count;
}

int Ping(std::vector<std::string_view> args) {
  if (args.empty())
    Usage();
  const auto window =
      static_cast<xcb_window_t>(std::strtoul(std::string(args[0]).c_str(), nullptr, 0));
  double seconds = 5;
  double intervalMs = 10;
  std::string untilFile;
  long long untilBytes = -1;
  std::string logFile;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--seconds" && i + 1 < args.size())
      seconds = std::atof(std::string(args[++i]).c_str());
    else if (args[i] == "--interval" && i + 1 < args.size())
      intervalMs = std::atof(std::string(args[++i]).c_str());
    else if (args[i] == "--until-size" && i + 2 < args.size()) {
      untilFile = args[++i];
      untilBytes = std::atoll(std::string(args[++i]).c_str());
    } else if (args[i] == "--log" && i + 1 < args.size())
      logFile = args[++i];
    else
      Usage();
  }
  if (window == 0 || intervalMs <= 0)
    Usage();

  Display display;
  xcb_connection_t *c = display.Connection();
  const xcb_atom_t protocols = display.Atom("WM_PROTOCOLS");
  const xcb_atom_t ping = display.Atom("_NET_WM_PING");
  if (!HasProtocol(display, window, protocols, ping))
    std::fprintf(stderr, "x11_probe: window 0x%" PRIx32 " does not list _NET_WM_PING\n", window);
  // The replies are sent to the root window; see the top of this file for
  // why StructureNotify.
  display.Listen(display.Root(),
                 XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
  const std::uint32_t time0 = ServerTime(display);

  const auto interval = std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double, std::milli>(intervalMs));
  const Clock::time_point start = Clock::now();
  const Clock::time_point end =
      start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  // The timestamp is what matches a reply to its ping: one per ping.
  std::map<std::uint32_t, Clock::time_point> outstanding;
  std::vector<std::pair<long long, double>> log; // sent at (ns, realtime), latency (-1 lost)
  std::map<std::uint32_t, std::size_t> logIndex;
  PingResult result;
  std::uint32_t sequence = 0;
  long long reachedNs = 0;
  Clock::time_point next = start;

  auto sizeReached = [&] {
    struct stat info {};
    return ::stat(untilFile.c_str(), &info) == 0 && info.st_size >= untilBytes;
  };
  auto drain = [&] {
    while (auto event = Own(xcb_poll_for_event(c))) {
      if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        continue;
      const Clock::time_point now = Clock::now();
      const auto *message = reinterpret_cast<xcb_client_message_event_t *>(event.get());
      if (message->type != protocols || message->format != 32 || message->data.data32[0] != ping ||
          message->data.data32[2] != window)
        continue;
      const auto it = outstanding.find(message->data.data32[1]);
      if (it == outstanding.end())
        continue; // not ours, or answered twice
      const double latency = Millis(now - it->second);
      result.latencies.push_back(latency);
      log[logIndex[it->first]].second = latency;
      ++result.answered;
      outstanding.erase(it);
    }
  };

  for (;;) {
    const Clock::time_point now = Clock::now();
    if (untilBytes >= 0 && reachedNs == 0 && sizeReached())
      reachedNs = RealtimeNanos();
    if (reachedNs != 0 || now >= end)
      break;
    if (now >= next) {
      xcb_client_message_event_t event{};
      event.response_type = XCB_CLIENT_MESSAGE;
      event.format = 32;
      event.window = window;
      event.type = protocols;
      const std::uint32_t stamp = time0 + ++sequence;
      event.data.data32[0] = ping;
      event.data.data32[1] = stamp;
      event.data.data32[2] = window;
      // No event mask: the event goes to the client that made the window.
      xcb_send_event(c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&event));
      xcb_flush(c);
      const Clock::time_point sentAt = Clock::now();
      outstanding.emplace(stamp, sentAt);
      logIndex.emplace(stamp, log.size());
      log.emplace_back(RealtimeNanos(), -1.0);
      ++result.sent;
      // A late turn sends one ping, not a burst to catch up.
      next = std::max(next + interval, sentAt);
    }
    display.Wait(std::min(next, end) - Clock::now());
    drain();
  }
  // The last replies get a grace period; what has not come by then is lost.
  const Clock::time_point grace = Clock::now() + std::chrono::seconds(2);
  while (!outstanding.empty() && Clock::now() < grace) {
    display.Wait(grace - Clock::now());
    drain();
  }

  if (!logFile.empty()) {
    std::FILE *out = std::fopen(logFile.c_str(), "w");
    if (out == nullptr)
      Fail("cannot write " + logFile);
    for (const auto &[sent, latency] : log)
      std::fprintf(out, "%lld.%06lld %.3f\n", sent / 1000000000LL, sent % 1000000000LL / 1000,
                   latency);
    std::fclose(out);
  }
  std::printf("sent=%zu answered=%zu lost=%zu p50_ms=%.2f p99_ms=%.2f max_ms=%.2f", result.sent,
              result.answered, result.sent - result.answered, Percentile(result.latencies, 50),
              Percentile(result.latencies, 99),
              result.latencies.empty()
                  ? 0.0
                  : *std::max_element(result.latencies.begin(), result.latencies.end()));
  if (untilBytes >= 0)
    std::printf(" size_reached_ns=%lld", reachedNs);
  std::printf("\n");
  if (untilBytes >= 0 && reachedNs == 0) {
    std::fprintf(stderr, "x11_probe: %s did not reach %lld bytes in time\n", untilFile.c_str(),
                 untilBytes);
    return 1;
  }
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2)
    Usage();
  std::vector<std::string_view> args(argv + 2, argv + argc);
  const std::string_view mode = argv[1];
  if (mode == "launch")
    return Launch(args);
  if (mode == "find")
    return Find(args);
  if (mode == "ping")
    return Ping(args);
  Usage();
}
