#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace vidtrawl::list {

class DownloadList;

// "clip.flv" with the number n: "clip (n).flv" (the number goes before the
// extension, or at the end of a name without one).
std::string NameVariant(const std::string &name, int n);

// The names the items of one download pass are saved under, so that no two
// items write the same file: a name that another item of the list carries,
// or that a file completed in this pass carries, is replaced by its first
// free variant. A file that was in the folder before the pass is no reason
// for a variant: a complete download of its name replaces it. Each look-up
// takes constant time, also for many items of one name.
class TargetNames {
public:
  explicit TargetNames(const DownloadList &items) : items_(items) {}

  // A new pass: no file is completed yet.
  void Clear();
  // The name the item at `index` is to be saved under: its own file name,
  // or a free variant of it.
  std::string NameFor(std::size_t index);
  // A file of this name was completed in this pass.
  void Completed(const std::string &name) { completed_.insert(name); }

private:
  bool Taken(const std::string &name, std::size_t ownCount) const;

  const DownloadList &items_;
  std::unordered_set<std::string> completed_;
  // The last variant number given for a name: the next search starts there.
  std::unordered_map<std::string, int> lastVariant_;
};

} // namespace vidtrawl::list
