#include "gui/DesktopServices.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMetaObject>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vidtrawl::gui {

void DesktopOpener::Open(const std::string &target, Failed failed) {
  const auto tell = [failed](const std::string &reason) {
    QMetaObject::invokeMethod(
        qApp, [failed, reason] { failed(reason); }, Qt::QueuedConnection);
  };
  // A file or folder is opened by its path: one that is missing opens nothing.
  // The path is its bytes, whatever their encoding (a name from a server
  // need not be UTF-8), here as for xdg-open.
  std::error_code unknown;
  if (!target.empty() && target.front() == '/' && !std::filesystem::exists(target, unknown))
    return tell("there is no such file or folder");
  const char *const argv[] = {"xdg-open", target.c_str(), nullptr};
  pid_t child = 0;
  const int error = ::posix_spawnp(&child, "xdg-open", nullptr, nullptr,
                                   const_cast<char *const *>(argv), environ);
  if (error != 0)
    return tell(std::string("xdg-open could not be started (") + std::strerror(error) + ")");
  std::thread([child, tell] {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 0)
      return;
    // xdg-open's own codes: 2 no such file, 3 no program for it, 4 it failed.
    switch (WEXITSTATUS(status)) {
    case 2:
      return tell("there is no such file or folder");
    case 3:
      return tell("no program for it is installed");
    default:
      return tell("the program for it failed (xdg-open exit status " +
                  std::to_string(WEXITSTATUS(status)) + ")");
    }
  }).detach();
}

std::string FolderDialog::ChooseFolder(const std::string &prompt) {
  const QString folder = QFileDialog::getExistingDirectory(
      owner_, QString::fromStdString(prompt), QDir::homePath(), QFileDialog::ShowDirsOnly);
  if (folder.isEmpty())
    return {};
  return QDir::toNativeSeparators(folder).toStdString();
}

} // namespace vidtrawl::gui
