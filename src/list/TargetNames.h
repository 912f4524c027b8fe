#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace vidtrawl::list {

class DownloadList;

// The names the items of one download pass are saved under, so that no
// download takes another's file or one that was there before: a name that
// another item of the list carries, that a file completed in this pass
// carries, or that the folder holds already, is replaced by its first free
// variant ("NAME (n).ext"). Each look-up in the list takes constant time,
// also for many items of one name.
class TargetNames {
public:
  explicit TargetNames(const DownloadList &items) : items_(items) {}

  // A new pass: no file is completed yet.
  void Clear();
  // The name the item at `index` is to be saved under: `name`, or a free
  // variant of it. `inFolder` tells whether the folder has a name in use.
  std::string NameFor(std::size_t index, const std::string &name,
                      const std::function<bool(const std::string &)> &inFolder);
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
