#pragma once

#include "gui/DesktopHosts.h"

class QWidget;

namespace vidtrawl::gui {

// Opens documents, folders and web addresses with the desktop's default
// handler: `xdg-open`, whose exit status tells whether a program took the
// target, given as its bytes. It runs on its own (a browser it starts outlives Vidtrawl); a
// thread waits for it and hands a failure to the program's thread.
class DesktopOpener final : public ShellOpen {
public:
  void Open(const std::string &target, Failed failed) override;
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
