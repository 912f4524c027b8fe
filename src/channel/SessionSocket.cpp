#include "channel/SessionSocket.h"

#include <cctype>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vidtrawl::channel {
namespace {

std::string FileNamePart(std::string_view text) {
  std::string part(text);
  for (char &c : part)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == ':' || c == '.' || c == '_' ||
          c == '-'))
      c = '_';
  return part;
}

std::string_view Variable(const char *name) {
  const char *value = std::getenv(name);
  return value ? value : "";
}

// "[HOST]:NUMBER[.SCREEN]" as HOST:NUMBER, the local host ("" or "unix") as "".
std::string X11Server(std::string_view display) {
  const std::size_t colon = display.rfind(':');
  if (colon == std::string_view::npos)
    return std::string(display);
  std::string_view host = display.substr(0, colon);
  std::string_view number = display.substr(colon + 1);
  number = number.substr(0, number.find('.'));
  if (host == "unix")
    host = {};
  return std::string(host) + ":" + std::string(number);
}

bool OwnPrivateFolder(const std::filesystem::path &folder) {
  struct stat info {};
  return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
         info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

} // namespace

std::string SessionName(std::string_view waylandDisplay, std::string_view x11Display,
                        std::string_view fallback) {
  if (!waylandDisplay.empty()) {
    // A path names the same display as its name in the runtime folder.
    const std::size_t slash = waylandDisplay.rfind('/');
    return FileNamePart(slash == std::string_view::npos ? waylandDisplay
                                                        : waylandDisplay.substr(slash + 1));
  }
  if (!x11Display.empty())
    return FileNamePart(X11Server(x11Display));
  return FileNamePart(fallback);
}

std::string SessionName(std::string_view fallback) {
  return SessionName(Variable("WAYLAND_DISPLAY"), Variable("DISPLAY"), fallback);
}

std::optional<std::filesystem::path> RuntimeFolder(bool create) {
  std::filesystem::path folder(Variable("XDG_RUNTIME_DIR"));
  if (!folder.is_absolute()) {
    const passwd *user = ::getpwuid(::geteuid());
    folder = "/tmp/runtime-" + (user ? std::string(user->pw_name) : std::to_string(::geteuid()));
    if (create)
      ::mkdir(folder.c_str(), 0700);
  }
  if (!OwnPrivateFolder(folder))
    return std::nullopt;
  return folder;
}

std::filesystem::path ProgramSocket(const std::filesystem::path &runtimeFolder,
                                    std::string_view session) {
  return runtimeFolder / ("vidtrawl-program-" + std::string(session));
}

} // namespace vidtrawl::channel
