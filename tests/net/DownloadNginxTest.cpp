#include "EventLog.h"
#include "TransferTestSupport.h"
#include "net/Download.h"
#include "support/RawServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

using namespace vidtrawl::testing;
using vidtrawl::host::NoopPump;
using vidtrawl::net::ConnectionMap;
using vidtrawl::net::Download;

namespace {

constexpr const char *kNginx = "/usr/sbin/nginx";

bool Accepts(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
  ::close(fd);
  return ok;
}

// nginx in the foreground with a generated configuration, serving `root`.
class Nginx {
public:
  explicit Nginx(const std::filesystem::path &prefix) : port_(RawServer::UnusedPort()) {
    std::filesystem::create_directories(prefix / "www");
    std::filesystem::create_directories(prefix / "tmp");
    // Relative paths are the prefix's.
    WriteFile(prefix / "nginx.conf", std::string(::geteuid() == 0 ? "user root;\n" : "") +
                                         R"(daemon off;
worker_processes 1;
error_log error.log;
pid nginx.pid;
events { worker_connections 64; }
http {
  access_log off;
  types { video/x-flv flv; }
  default_type application/octet-stream;
  client_body_temp_path tmp/body;
  proxy_temp_path tmp/proxy;
  fastcgi_temp_path tmp/fastcgi;
  uwsgi_temp_path tmp/uwsgi;
  scgi_temp_path tmp/scgi;
  server { listen 127.0.0.1:)" + std::to_string(port_) +
                                         R"(; root www; }
}
)");
    const std::string conf = (prefix / "nginx.conf").string();
    const std::string prefixArg = prefix.string() + "/";
    const char *argv[] = {kNginx, "-c", conf.c_str(), "-p", prefixArg.c_str(), nullptr};
    if (::posix_spawn(&pid_, kNginx, nullptr, nullptr, const_cast<char **>(argv), environ) != 0)
      pid_ = -1;
    for (int i = 0; i < 500 && pid_ > 0 && !Accepts(port_); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ~Nginx() {
    if (pid_ > 0) {
      ::kill(pid_, SIGQUIT);
      int status = 0;
      ::waitpid(pid_, &status, 0);
    }
  }
  bool Running() const { return pid_ > 0 && Accepts(port_); }
  std::string url(const std::string &path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }

private:
  int port_;
  pid_t pid_ = -1;
};

} // namespace

TEST(RealServer, NginxServesHeadersAndTransfers) {
  if (!std::filesystem::exists(kNginx))
    GTEST_SKIP() << "nginx is not installed";
  TempDir dir;
  Nginx nginx(dir.path());
  ASSERT_TRUE(nginx.Running()) << ReadFile(dir / "error.log");
  const std::size_t size = 3 * 1024 * 1024 + 7;
  WriteFile(dir / "www" / "clip.flv", Pattern(size, 7));

  NoopPump pump;
  Download download(pump, ConnectionMap{});
  download.SetUrl(nginx.url("/missing.flv"));
  download.RequestInformation();
  EXPECT_FALSE(download.FileExists()); // "HTTP/1.1 404 Not Found"

  download.SetUrl(nginx.url("/clip.flv"));
  download.RequestInformation();
  EXPECT_TRUE(download.FileExists());
  EXPECT_EQ(download.FileSize(), static_cast<double>(size));
  EXPECT_EQ(download.RemoteFileType(), "x-flv");
  EXPECT_NE(download.LastModified(), "Not Available");
  EXPECT_NE(download.LastModified().find("GMT"), std::string::npos);

  const auto file = dir / "clip.flv";
  EventLog log;
  download.SetEvents(&log);
  download.SetLocalFile(file.string());
  EXPECT_TRUE(download.StartDownload());
  auto expected = ProgressEvents(size, static_cast<double>(size));
  expected.push_back("complete");
  EXPECT_EQ(log.events, expected);
  EXPECT_TRUE(ReadFile(file) == Pattern(size, 7));

  log.events.clear();
  download.SetUrl(nginx.url("/missing.flv"));
  download.SetLocalFile((dir / "never").string());
  EXPECT_FALSE(download.StartDownload());
  EXPECT_EQ(log.events, std::vector<std::string>{"error Could not find URL"});
  EXPECT_FALSE(std::filesystem::exists(dir / "never"));
}
