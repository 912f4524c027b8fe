#pragma once

#include <string>

namespace vidtrawl::host {

// Opens a document or a web address with the desktop's default handler.
class ShellOpen {
public:
  virtual ~ShellOpen() = default;
  // False when nothing could open it; nobody is told.
  virtual bool OpenDocument(const std::string &fileOrAddress) = 0;
};

} // namespace vidtrawl::host
