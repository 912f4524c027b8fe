#include "EventLog.h"
#include "net/Download.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <httplib.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

using namespace vidtrawl::testing;
using vidtrawl::host::NoopPump;
using vidtrawl::net::ConnectionMap;
using vidtrawl::net::Download;

// Certificates are verified: a server whose certificate no authority signed
// is an address that cannot be opened, and its header request fails.
TEST(Https, AnUntrustedCertificateIsRefused) {
  if (!std::filesystem::exists("/usr/bin/openssl"))
    GTEST_SKIP() << "openssl is not installed";
  TempDir dir;
  const std::string key = (dir / "key.pem").string();
  const std::string cert = (dir / "cert.pem").string();
  const std::string command = "/usr/bin/openssl req -x509 -newkey rsa:2048 -nodes -days 1 "
                              "-subj /CN=127.0.0.1 -keyout '" +
                              key + "' -out '" + cert + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);

  httplib::SSLServer server(cert.c_str(), key.c_str());
  ASSERT_TRUE(server.is_valid());
  int requests = 0;
  server.Get("/v", [&](const httplib::Request &, httplib::Response &response) {
    ++requests;
    response.set_content("body", "video/x-flv");
  });
  const int port = server.bind_to_any_port("127.0.0.1");
  std::thread thread([&] { server.listen_after_bind(); });
  while (!server.is_running())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));

  const std::string url = "https://127.0.0.1:" + std::to_string(port) + "/v";
  NoopPump pump;
  const auto file = dir / "v.flv";
  EventLog log;
  Download download(pump, ConnectionMap{});
  download.SetEvents(&log);
  download.SetUrl(url);
  download.SetLocalFile(file.string());
  EXPECT_FALSE(download.StartDownload());
  EXPECT_FALSE(download.FileExists());
  EXPECT_EQ(download.FileSize(), -1);
  EXPECT_EQ(log.events, std::vector<std::string>{"error Could not find URL"});
  EXPECT_FALSE(std::filesystem::exists(file));

  server.stop();
  thread.join();
  EXPECT_EQ(requests, 0);
}
