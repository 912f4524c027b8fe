#pragma once

#include "base/ItemRequest.h"
#include "list/Item.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace vidtrawl::extractor {
struct ExtractorSettings;
}
namespace vidtrawl::media {
struct StreamOptions;
}
namespace vidtrawl::net {
class Session;
}

namespace vidtrawl::scheduler {

class ItemJob;

// What an item's job may ask of the pass that runs it, and nothing more.
class JobHost {
public:
  virtual ~JobHost() = default;
  // The pass's download folder.
  virtual const std::filesystem::path &Folder() const = 0;
  virtual net::Session &Session() const = 0;
  virtual const media::StreamOptions &Streams() const = 0;
  // What a browser gave the item's requests; nothing for an item it did not hand over.
  virtual std::shared_ptr<const base::ItemRequest> RequestOf(list::Serial serial) const = 0;
  // The site extractor that pages the program's own rules find no video on are given to.
  virtual const extractor::ExtractorSettings &Extractor() const = 0;
  // The item's page is a playlist of `videos`, whose others (their addresses) the user is to be
  // asked about: the job goes on with the page's own.
  virtual void PlaylistFound(list::Serial serial, std::size_t videos,
                             std::vector<std::string> others) = 0;
  // The job has the server's answer and waits for its file's name, which is decided in list order.
  virtual void WantsName() = 0;
  // A file of this name was completed in the pass.
  virtual void Completed(const std::string &name) = 0;
  // The job ended; its item's phase tells how. It may be destroyed on the loop's next turn.
  virtual void Ended(ItemJob &job) = 0;
};

} // namespace vidtrawl::scheduler
