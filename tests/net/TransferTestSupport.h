#pragma once

#include "support/LocalServer.h"
#include "support/TempDir.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace vidtrawl::testing {

// The events a transfer of `size` bytes raises, chunk by chunk and the final
// empty read included, when FileSize is `fileSize`.
inline std::vector<std::string> ProgressEvents(std::size_t size, double fileSize) {
  std::vector<std::string> events;
  std::size_t total = 0;
  for (;;) {
    const std::size_t chunk = std::min<std::size_t>(2048, size - total);
    total += chunk;
    const double value = fileSize > 0 ? std::nearbyint(total / fileSize * 100.0) : total;
    events.push_back("progress " + std::to_string(static_cast<std::int64_t>(value)));
    if (chunk == 0)
      return events;
  }
}

// Serves Pattern(N) at "/body/N" (with its length) and at "/chunked/N"
// (without one), and records the method of every request.
inline void ServeBodies(LocalServer &server, std::vector<std::string> &methods) {
  server.server().Get(
      R"(/body/(\d+))", [&methods](const httplib::Request &request, httplib::Response &response) {
        methods.push_back(request.method);
        response.set_content(Pattern(std::stoul(request.matches[1])), "video/x-flv");
      });
  server.server().Get(R"(/chunked/(\d+))", [&methods](const httplib::Request &request,
                                                      httplib::Response &response) {
    methods.push_back(request.method);
    const std::string body = Pattern(std::stoul(request.matches[1]));
    response.set_chunked_content_provider(
        "video/x-flv", [body, sent = false](std::size_t, httplib::DataSink &sink) mutable {
          if (!sent && !body.empty())
            sink.write(body.data(), body.size());
          sent = true;
          sink.done();
          return true;
        });
  });
}

} // namespace vidtrawl::testing
