#pragma once

#include "gui/DesktopHosts.h"

class QWidget;

namespace vidtrawl::gui {

// Opens documents and web addresses with the desktop's default handler.
class DesktopOpener final : public ShellOpen {
public:
  bool Open(const std::string &fileOrAddress) override;
};

// Qt's folder dialog, titled with the prompt, over the main window.
class FolderDialog final : public FolderChooser {
public:
  void SetOwner(QWidget *owner) { owner_ = owner; }
  std::string ChooseFolder(const std::string &prompt) override;

private:
  QWidget *owner_ = nullptr;
};

} // namespace vidtrawl::gui
