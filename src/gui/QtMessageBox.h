#pragma once

#include "host/MessageBox.h"

#include <functional>

class QWidget;

namespace vidtrawl::gui {

// Modal message boxes over the main window; lines to log (a download's
// failure reason) go to the log function, which needs no answer.
class QtMessageBox final : public host::MessageBox {
public:
  // The window the boxes belong to (nullptr: none).
  void SetOwner(QWidget *owner) { owner_ = owner; }
  void SetLog(std::function<void(const std::string &)> log) { log_ = std::move(log); }
  Answer ShowMessage(const Message &message) override;
  void Log(const std::string &text) override {
    if (log_)
      log_(text);
  }

private:
  QWidget *owner_ = nullptr;
  std::function<void(const std::string &)> log_;
};

} // namespace vidtrawl::gui
