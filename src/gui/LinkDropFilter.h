#pragma once

#include <QObject>

#include <functional>
#include <string>

namespace vidtrawl::gui {

// Links or text dropped onto the window: the dropped text (one link a
// line) goes to `add`, which keeps the lines that name a supported site.
class LinkDropFilter final : public QObject {
public:
  LinkDropFilter(std::function<void(const std::string &text)> add, QObject *parent = nullptr)
      : QObject(parent), add_(std::move(add)) {}
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  std::function<void(const std::string &)> add_;
};

} // namespace vidtrawl::gui
