#pragma once

#include "gui/MessageBox.h"

class QWidget;

namespace vidtrawl::gui {

// Modal message boxes over the main window.
class QtMessageBox final : public MessageBox {
public:
  // The window the boxes belong to (nullptr: none).
  void SetOwner(QWidget *owner) { owner_ = owner; }
  Answer ShowMessage(const Message &message) override;

private:
  QWidget *owner_ = nullptr;
};

} // namespace vidtrawl::gui
