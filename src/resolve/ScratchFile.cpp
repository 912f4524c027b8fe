#include "resolve/ScratchFile.h"

#include "host/MessageBox.h"
#include "net/PartialFile.h"
#include "resolve/PrivateFolder.h"
#include "settings/PlatformPaths.h"

#include <string>
#include <system_error>

namespace vidtrawl::resolve {

namespace fs = std::filesystem;

ScratchFile::ScratchFile(host::MessageBox &messages, std::optional<fs::path> folder) {
  if (folder) {
    std::error_code ec;
    fs::create_directories(*folder, ec);
    path_ = *folder / kName;
    return;
  }
  std::string problem = "no home folder is known";
  if (const fs::path root = settings::ScratchRoot(); !root.empty()) {
    const PrivateFolder checked = MakePrivateFolder(root);
    problem = checked.problem;
    if (problem.empty())
      if (std::optional<InstanceFolder> made = InstanceFolder::Make(
              checked.path, {kName, std::string(kName) + net::PartialFile::kSuffix}, problem))
        instance_.emplace(std::move(*made));
    if (instance_) {
      path_ = instance_->Path() / kName;
      return;
    }
  }

  std::error_code ec;
  const fs::path temp = fs::temp_directory_path(ec);
  const PrivateFolder fresh = ec ? PrivateFolder{{}, "no temporary folder: " + ec.message()}
                                 : MakeFreshPrivateFolder(temp, "vidtrawl-");
  if (fresh.path.empty()) {
    messages.Show("Pages cannot be fetched: " + problem + "; " + fresh.problem + ".",
                  host::MessageBox::Buttons::Ok, host::MessageBox::Icon::Error);
    return;
  }
  fallback_ = fresh.path;
  path_ = fallback_ / kName;
  messages.Show("Fetched pages are kept in " + fallback_.string() + " for this run: " + problem +
                    ".",
                host::MessageBox::Buttons::Ok, host::MessageBox::Icon::Exclamation);
}

ScratchFile::~ScratchFile() {
  if (fallback_.empty())
    return;
  // Only what this run put there: the folder stays if anything else is in it.
  std::error_code ignored;
  fs::remove(path_, ignored);
  fs::remove(path_.string() + net::PartialFile::kSuffix, ignored);
  fs::remove(fallback_, ignored);
}

} // namespace vidtrawl::resolve
