#pragma once

#include <filesystem>
#include <string>

namespace vidtrawl::testing {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes away.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  const std::filesystem::path &path() const { return path_; }
  std::filesystem::path operator/(const std::string &name) const { return path_ / name; }

private:
  std::filesystem::path path_;
};

// The whole content of a file as bytes; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path &file);
void WriteFile(const std::filesystem::path &file, const std::string &content);

// Deterministic test data of the given size.
std::string Pattern(std::size_t size, unsigned seed = 1);

} // namespace vidtrawl::testing
