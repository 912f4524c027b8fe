#pragma once

#include "support/MissingTool.h"
#include "support/TempDir.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include <unistd.h>

namespace vidtrawl::testing {

// A private headless sway, in a runtime folder of its own, for the life of
// the object. sway refuses to run as root: a root test runs it as nobody.
// Valid() is false when sway is not installed or does not start.
class HeadlessSway {
public:
  HeadlessSway() {
    const bool root = ::geteuid() == 0;
    if (std::system("command -v sway >/dev/null") != 0 ||
        (root && ::chown(runtime_.path().c_str(), kNobody, kNobody) != 0))
      return;
    const std::string command =
        "XDG_RUNTIME_DIR='" + runtime_.path().string() +
        "' WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman " +
        (root ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "") +
        "sway -c /dev/null >/dev/null 2>&1 & echo $!";
    if (FILE *started = ::popen(command.c_str(), "r")) {
      if (std::fscanf(started, "%d", &pid_) != 1)
        pid_ = 0;
      ::pclose(started);
    }
    for (int i = 0; pid_ > 0 && socket_.empty() && i < 200; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      std::error_code ec;
      for (const auto &entry : std::filesystem::directory_iterator(runtime_.path(), ec))
        if (entry.is_socket() && entry.path().filename().string().starts_with("wayland-"))
          socket_ = entry.path().string();
    }
  }
  ~HeadlessSway() {
    if (pid_ > 0)
      ::kill(pid_, SIGTERM);
  }
  HeadlessSway(const HeadlessSway &) = delete;
  HeadlessSway &operator=(const HeadlessSway &) = delete;

  bool Valid() const { return !socket_.empty(); }
  // The compositor's socket, as an absolute path for WAYLAND_DISPLAY.
  const std::string &Socket() const { return socket_; }

private:
  static constexpr uid_t kNobody = 65534;
  TempDir runtime_;
  int pid_ = 0;
  std::string socket_;
};

} // namespace vidtrawl::testing
