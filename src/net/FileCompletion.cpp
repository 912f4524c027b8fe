#include "net/FileCompletion.h"

namespace vidtrawl::net {

FileCompletion::FileCompletion(host::EventLoop &loop, PartialFile &file, Done done)
    : file_(file), done_(std::move(done)), look_(loop) {
  file_.BeginComplete();
  look_.Start(WriteBehind::kCatchUp, [this] { Look(); });
}

void FileCompletion::Look() {
  if (file_.Writing()) {
    look_.Start(WriteBehind::kCatchUp, [this] { Look(); });
    return;
  }
  Done done = std::move(done_);
  done(file_.Complete()); // last: the owner may end this
}

} // namespace vidtrawl::net
