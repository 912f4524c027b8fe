#include "browserhost/DesktopLink.h"

#include "base/FileDescriptor.h"
#include "channel/ItemsRequest.h"
#include "channel/SessionSocket.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

extern char **environ;

namespace vidtrawl::browserhost {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

enum class Reach { Taken, NoProgram, NoAnswer };

int MillisLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::max<long long>(left.count(), 0));
}

// One try: a connection to the socket, the request, its answer.
Reach TryHandOver(const fs::path &socketPath, const std::string &request,
                  Clock::time_point deadline) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socketPath.native().size() >= sizeof address.sun_path)
    return Reach::NoProgram;
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.native().size());
  base::FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!socket ||
      ::connect(socket.Get(), reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
    return Reach::NoProgram;
  for (std::size_t sent = 0; sent < request.size();) {
    const ssize_t n =
        ::send(socket.Get(), request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return Reach::NoAnswer;
    sent += static_cast<std::size_t>(n);
  }
  pollfd watch{socket.Get(), POLLIN, 0};
  char answer = 0;
  while (::poll(&watch, 1, MillisLeft(deadline)) < 0 && errno == EINTR) {
  }
  return ::recv(socket.Get(), &answer, 1, MSG_DONTWAIT) == 1 && answer == channel::kTaken
             ? Reach::Taken
             : Reach::NoAnswer;
}

fs::path ThisProgramsFolder() {
  std::error_code error;
  return fs::read_symlink("/proc/self/exe", error).parent_path();
}

} // namespace

fs::path FindDesktopProgram(const fs::path &folder) {
  const auto runnable = [](const fs::path &file) {
    return fs::is_regular_file(file) && ::access(file.c_str(), X_OK) == 0;
  };
  if (!folder.empty() && runnable(folder / "vidtrawl"))
    return folder / "vidtrawl";
  const char *path = std::getenv("PATH");
  for (std::string_view rest = path ? path : ""; !rest.empty();) {
    const std::size_t colon = rest.find(':');
    const fs::path entry(rest.substr(0, colon));
    rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
    // A relative entry would name a folder of wherever the browser runs from.
    if (entry.is_absolute() && runnable(entry / "vidtrawl"))
      return entry / "vidtrawl";
  }
  return {};
}

std::string DesktopLink::Start() {
  started_ = true;
  const fs::path program = FindDesktopProgram(ThisProgramsFolder());
  if (program.empty())
    return "Vidtrawl is not running, and its program was found neither beside this one nor on "
           "PATH";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // It must hold none of the browser's pipes, which end with this program: its output
  // would reach the browser as messages, and the browser would wait for them to close.
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigfillset(&defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  // A session of its own: it outlives this program and the browser's hold on it.
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
  std::string name = program.string();
  char *argv[] = {name.data(), nullptr};
  pid_t pid = 0;
  const int failed = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (failed != 0)
    return "Vidtrawl could not be started (" + name + ": " + std::strerror(failed) + ")";
  return {};
}

std::string DesktopLink::HandOver(const channel::HandedItem &item) {
  const Clock::time_point deadline = Clock::now() + patience_;
  const std::string request = channel::ItemsRequest({item});
  // Without a display of its own, the desktop names its session after its window system.
  const char *platform = std::getenv("QT_QPA_PLATFORM");
  const std::string session = channel::SessionName(platform ? platform : "none");
  for (;;) {
    // The runtime folder may appear only once a started program made it.
    const auto folder = channel::RuntimeFolder(false);
    if (!folder && std::getenv("XDG_RUNTIME_DIR"))
      return "the runtime folder ($XDG_RUNTIME_DIR) is missing or not yours alone";
    const Reach reach =
        folder ? TryHandOver(channel::ProgramSocket(*folder, session), request, deadline)
               : Reach::NoProgram;
    if (reach == Reach::Taken)
      return {};
    if (reach == Reach::NoAnswer)
      return "Vidtrawl runs but did not take the item";
    if (!started_)
      if (std::string problem = Start(); !problem.empty())
        return problem;
    if (MillisLeft(deadline) == 0)
      return "Vidtrawl was started but did not answer in time";
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

} // namespace vidtrawl::browserhost
