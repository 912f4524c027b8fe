#include "cli/DemoServer.h"

#include <httplib.h>

#include <map>

namespace vidtrawl::cli {
namespace {

struct Served {
  std::shared_ptr<const std::string> bytes;
  const DemoVideo *video;
};

// Answers the demo site's requests: its pages, the players' redirections and
// the videos, whatever host a request names. Each video is sent in pieces of
// kPieceSize with a pause after each, so that a transfer takes long enough to
// be watched.
void MountDemoSite(httplib::Server &server, const DemoSite &site,
                   std::chrono::milliseconds pausePerPiece) {
  auto videos = std::make_shared<std::map<std::string, Served>>();
  for (const DemoVideo &video : site.videos)
    (*videos)[video.path] =
        Served{std::make_shared<const std::string>(DemoVideoBytes(video)), &video};

  server.Get(R"(/.*)", [&site, videos, pausePerPiece](const httplib::Request &request,
                                                      httplib::Response &response) {
    for (const DemoRedirect &redirect : site.redirects) {
      if (request.path == redirect.playerPath) {
        response.status = 303;
        response.set_header("Location", redirect.location);
        return;
      }
    }
    for (const DemoPage &page : site.pages) {
      if (!page.path.empty() && page.path == request.path) {
        response.set_content(page.body, "text/html");
        return;
      }
    }
    const auto found = videos->find(request.path);
    if (found == videos->end()) {
      response.status = 404;
      response.set_content("Not found\n", "text/plain");
      return;
    }
    const Served served = found->second;
    if (!served.video->filename.empty())
      response.set_header("Content-Disposition", "attachment; filename=" + served.video->filename);

    // Sends up to one piece from the offset, then pauses.
    auto send = [served, pausePerPiece](std::size_t offset, httplib::DataSink &sink) {
      const std::string &bytes = *served.bytes;
      if (offset >= bytes.size()) {
        sink.done();
        return true;
      }
      const std::size_t length = std::min(DemoServer::kPieceSize, bytes.size() - offset);
      if (!sink.write(bytes.data() + offset, length))
        return false;
      if (pausePerPiece.count() > 0)
        std::this_thread::sleep_for(pausePerPiece);
      return true;
    };
    if (served.video->announced)
      response.set_content_provider(served.bytes->size(), "video/x-flv",
                                    [send](std::size_t offset, std::size_t,
                                           httplib::DataSink &sink) { return send(offset, sink); });
    else
      response.set_chunked_content_provider(
          "video/x-flv",
          [send](std::size_t offset, httplib::DataSink &sink) { return send(offset, sink); });
  });
}

} // namespace

DemoServer::DemoServer(std::chrono::milliseconds pausePerPiece)
    : server_(std::make_unique<httplib::Server>()) {
  // Each open connection holds a thread of the server, also while it only
  // waits to be used again: enough of them for every download at once.
  server_->new_task_queue = [] { return new httplib::ThreadPool(kThreads); };
  MountDemoSite(*server_, TheDemoSite(), pausePerPiece);
}

DemoServer::~DemoServer() {
  if (thread_.joinable()) {
    server_->stop();
    thread_.join();
  }
}

bool DemoServer::Start() {
  port_ = server_->bind_to_any_port("127.0.0.1");
  if (port_ <= 0)
    return false;
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  for (int waited = 0; !server_->is_running(); ++waited) {
    if (waited == 5000)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

} // namespace vidtrawl::cli
