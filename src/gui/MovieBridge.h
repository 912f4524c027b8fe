#pragma once

#include "gui/DesktopHosts.h"

#include <QQuickWidget>
#include <QString>

#include <functional>
#include <optional>
#include <string>

namespace vidtrawl::gui {

// The movie's player: shows Main.qml, hands its commands on and sets and
// reads its variables ("_root.name" is the root item's property "name").
// A movie that is missing or broken leaves the player empty and every
// variable set is kept, so nothing else breaks.
class MovieBridge final : public QQuickWidget, public MovieVariables {
  Q_OBJECT

public:
  using CommandHandler = std::function<void(const std::string &command, const std::string &args)>;

  explicit MovieBridge(QWidget *parent = nullptr);

  // Loads the movie; why it cannot be shown, or empty text when it is.
  std::string Load(const QString &file);
  // Where the movie's commands go.
  void OnCommand(CommandHandler handler) { handler_ = std::move(handler); }

  void Set(const std::string &name, const std::string &value) override;
  std::string Get(const std::string &name) override;

  // Brings a page of the movie on show as its own tab would.
  void ShowPage(const QString &page);
  // How much larger than drawn the movie is shown.
  void SetZoom(double zoom);
  // Where the movie wants the download list, in this widget; empty without
  // a movie. It says when that changes.
  QRect ListArea() const;

  // The address field's own menu (Cut, Copy, Paste, Select All): at
  // `position` (in this widget) when it lies on the field; with none given,
  // under the field when it has the focus. False when neither holds.
  bool ShowFieldMenu(std::optional<QPoint> position = {});

protected:
  // Tab goes round the movie's controls and on to the widgets beside it.
  bool focusNextPrevChild(bool next) override;
  void focusInEvent(QFocusEvent *event) override;

signals:
  void listAreaChanged();

private slots:
  void CommandSent(const QString &command, const QString &args);

private:
  // The first (or last) item Tab reaches in the movie.
  QQuickItem *FocusChainEnd(bool last) const;

  QObject *root_ = nullptr;
  CommandHandler handler_;
  double zoom_ = 1;
};

} // namespace vidtrawl::gui
