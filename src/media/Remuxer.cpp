#include "media/Remuxer.h"

#include "base/AsciiCase.h"
#include "media/RemuxModule.h"

#include <dlfcn.h>

#include <mutex>
#include <string>

namespace vidtrawl::media {
namespace {

namespace fs = std::filesystem;

// The module, loaded once and never unloaded (the remuxers it made run its code), or why it
// could not be.
struct Loaded {
  const RemuxModule *module = nullptr;
  std::string problem;
};

// Where the module is: with the program's libraries, as installed and as built (its folder
// relative to the program's is VIDTRAWL_REMUX_DIR).
fs::path ModulePath() {
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  return program.parent_path() / VIDTRAWL_REMUX_DIR / kRemuxModuleFile;
}

Loaded Load() {
  const fs::path path = ModulePath();
  void *handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char *why = ::dlerror();
    return {nullptr, why != nullptr ? why : path.string()};
  }
  using Entry = const RemuxModule *(*)();
  const auto entry = reinterpret_cast<Entry>(::dlsym(handle, kRemuxModuleEntry));
  if (entry == nullptr)
    return {nullptr, path.string() + " is no remuxing module of this program"};
  return {entry(), {}};
}

const Loaded &Module() {
  static std::once_flag once;
  static Loaded loaded;
  std::call_once(once, [] { loaded = Load(); });
  return loaded;
}

} // namespace

std::string_view ExtensionOf(Container container) {
  return container == Container::Mp4 ? ".mp4" : ".mkv";
}

bool ClaimsOtherContainer(std::string_view extension, std::string_view written) {
  // 1: the MP4 family, 2: Matroska's, 0: neither.
  const auto family = [](std::string_view name) {
    const std::string lower = base::LowerAscii(name);
    if (lower == ".mp4" || lower == ".m4v" || lower == ".m4a" || lower == ".mov")
      return 1;
    return lower == ".mkv" || lower == ".mka" || lower == ".webm" ? 2 : 0;
  };
  return family(extension) != 0 && family(written) != 0 && family(extension) != family(written);
}

base::Outcome<std::unique_ptr<Remuxer>> Remuxer::Open(const TrackSource &video,
                                                      const std::optional<TrackSource> &audio,
                                                      const fs::path &output) {
  const Loaded &loaded = Module();
  if (loaded.module == nullptr)
    return base::Fault{base::FaultKind::Remux,
                       "FFmpeg's libraries cannot be loaded to join the stream: " + loaded.problem};
  return loaded.module->open(video, audio, output);
}

base::Outcome<Container> Remux(const TrackSource &video, const std::optional<TrackSource> &audio,
                               const fs::path &output) {
  base::Outcome<std::unique_ptr<Remuxer>> remuxer = Remuxer::Open(video, audio, output);
  if (remuxer.Failed())
    return remuxer.Failure();
  while (true) {
    const base::Outcome<bool> step = remuxer.Value()->Step(4096);
    if (step.Failed())
      return step.Failure();
    if (step.Value())
      return remuxer.Value()->Output();
  }
}

} // namespace vidtrawl::media
