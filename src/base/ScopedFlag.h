#pragma once

namespace vidtrawl::base {

// Raises a flag for as long as a scope lasts, however the scope is left.
class ScopedFlag {
public:
  explicit ScopedFlag(bool &flag) : flag_(flag) { flag_ = true; }
  ~ScopedFlag() { flag_ = false; }
  ScopedFlag(const ScopedFlag &) = delete;
  ScopedFlag &operator=(const ScopedFlag &) = delete;

private:
  bool &flag_;
};

} // namespace vidtrawl::base
