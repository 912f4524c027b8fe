#pragma once

#include <stdexcept>
#include <string>

namespace vidtrawl::net {

// A fault the transfer component does not report through its events: the
// local file could not be opened or written, or a header value could not be
// read. It ends the call that met it and reaches that call's caller.
class TransferFault : public std::runtime_error {
public:
  enum class Kind {
    LocalFile,   // opening or writing the local file failed
    HeaderValue, // a "content-length: " value that is not a size
  };
  TransferFault(Kind kind, const std::string &what) : std::runtime_error(what), kind_(kind) {}
  Kind kind() const { return kind_; }

private:
  Kind kind_;
};

} // namespace vidtrawl::net
