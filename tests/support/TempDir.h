#pragma once

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>

#include <sys/resource.h>

namespace vidtrawl::testing {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes away.
class TempDir {
public:
  TempDir() {
    std::string name = (std::filesystem::temp_directory_path() / "vidtrawl-test-XXXXXX").string();
    if (::mkdtemp(name.data()) == nullptr)
      throw std::runtime_error("mkdtemp failed");
    path_ = name;
  }
  ~TempDir() {
    std::error_code ec;
    // Read-only leftovers are made removable first.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  const std::filesystem::path &path() const { return path_; }
  std::filesystem::path operator/(const std::string &name) const { return path_ / name; }

private:
  std::filesystem::path path_;
};

// The whole content of a file as bytes; empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path &file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::filesystem::path &file, const std::string &content) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
}

// Runs `body` while no file may grow past `bytes` (a disk that takes no more): a write beyond it
// fails with EFBIG instead of raising SIGXFSZ.
inline void WithFileSizeLimit(rlim_t bytes, const std::function<void()> &body) {
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = bytes;
  ::setrlimit(RLIMIT_FSIZE, &small);
  body();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, handler);
}

// Deterministic test data of the given size.
inline std::string Pattern(std::size_t size, unsigned seed = 1) {
  std::string data(size, '\0');
  unsigned state = seed * 2654435761u + 1u;
  for (char &byte : data) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<char>(state >> 16);
  }
  return data;
}

} // namespace vidtrawl::testing
