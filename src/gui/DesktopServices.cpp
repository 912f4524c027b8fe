#include "gui/DesktopServices.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>

namespace vidtrawl::gui {

bool DesktopOpener::Open(const std::string &fileOrAddress) {
  const QString target = QString::fromStdString(fileOrAddress);
  // A file is opened by its path: a help document that is missing opens nothing.
  const QUrl url = target.startsWith(u'/') ? QUrl::fromLocalFile(target) : QUrl(target);
  if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile()))
    return false;
  return QDesktopServices::openUrl(url);
}

std::string FolderDialog::ChooseFolder(const std::string &prompt) {
  const QString folder = QFileDialog::getExistingDirectory(
      owner_, QString::fromStdString(prompt), QDir::homePath(), QFileDialog::ShowDirsOnly);
  if (folder.isEmpty())
    return {};
  return QDir::toNativeSeparators(folder).toStdString();
}

} // namespace vidtrawl::gui
