#pragma once

#include "support/MissingTool.h"
#include "support/RawServer.h"
#include "support/TempDir.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vidtrawl::testing {

// nginx in the foreground with a configuration of its own, serving the folder
// www under `dir` on a free loopback port, its access log in dir/access.log;
// `directives` go into its server block ("limit_rate 2m;").
class Nginx {
public:
  static constexpr const char *kBinary = "/usr/sbin/nginx";
  static bool Installed() { return std::filesystem::exists(kBinary); }

  explicit Nginx(const std::filesystem::path &dir, const std::string &directives = {})
      : dir_(dir), port_(RawServer::UnusedPort()) {
    std::filesystem::create_directories(dir / "www");
    std::string conf = std::string(::geteuid() == 0 ? "user root;" : "") +
                       "daemon off; error_log error.log; pid nginx.pid; events {}\nhttp { "
                       "log_format ranged '$remote_addr [$time_local] \"$request\" $status "
                       "$body_bytes_sent \"$http_range\" \"$http_user_agent\"'; access_log "
                       "access.log ranged; types { "
                       "video/x-flv flv; video/mp4 mp4; } server "
                       "{ listen 127.0.0.1:" +
                       std::to_string(port_) + "; root www; " + directives + " }";
    for (const char *temp : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"})
      conf += std::string(" ") + temp + "_temp_path www;";
    WriteFile(dir / "nginx.conf", conf + " }\n");
    const std::string file = (dir / "nginx.conf").string(), prefix = dir.string() + "/";
    pid_ = ::fork();
    if (pid_ == 0) { // ends with the test, also when a hung test is killed
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
      ::_exit(::execl(kBinary, kBinary, "-c", file.c_str(), "-p", prefix.c_str(), nullptr));
    }
    // Ready once it accepts a connection.
    for (int i = 0; i < 500 && !Accepts(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ~Nginx() {
    ::kill(pid_, SIGQUIT);
    ::waitpid(pid_, nullptr, 0);
  }
  Nginx(const Nginx &) = delete;
  Nginx &operator=(const Nginx &) = delete;

  int Port() const { return port_; }
  std::string Url(const std::string &path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  std::string AccessLog() const { return ReadFile(dir_ / "access.log"); }

private:
  bool Accepts() const {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port_));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
  }

  std::filesystem::path dir_;
  int port_;
  pid_t pid_ = -1;
};

} // namespace vidtrawl::testing
