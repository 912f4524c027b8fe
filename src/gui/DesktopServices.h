#pragma once

#include "host/FolderChooser.h"
#include "host/ShellOpen.h"

class QWidget;

namespace vidtrawl::gui {

// Opens documents and web addresses with the desktop's default handler.
class DesktopOpener final : public host::ShellOpen {
public:
  bool OpenDocument(const std::string &fileOrAddress) override;
};

// Qt's folder dialog, titled with the prompt, over the main window.
class FolderDialog final : public host::FolderChooser {
public:
  void SetOwner(QWidget *owner) { owner_ = owner; }
  std::string BrowseForFolder(const std::string &prompt) override;

private:
  QWidget *owner_ = nullptr;
};

} // namespace vidtrawl::gui
