#pragma once

#include "engine/Config.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QFormLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QStackedWidget;

namespace vidtrawl::gui {

class DesktopController;

// What is wrong with a setting's text, in words (empty: nothing), checked as the console checks
// the option that sets it.
std::string SpeedLimitProblem(const std::string &text);
std::string QualityProblem(const std::string &text);
std::string HeadersProblem(const std::string &lines);
std::string ExtractorProblem(const std::string &text);

// Every setting in one place, a page a subject (Downloads, Network, Streams, Extractor, Clipboard),
// in the skin's look. A change takes effect at once and is saved; a text the check refuses says why
// under its field and changes nothing until it is mended. The fields show the settings as they
// are each time the window comes forward.
class SettingsWindow final : public QDialog {
  Q_OBJECT

public:
  explicit SettingsWindow(DesktopController &controller, QWidget *parent = nullptr);

  // Shown and raised with the settings as they are now.
  void Open();
  // The fields read the settings afresh.
  void Refresh();

protected:
  // Back in front, it shows what changed elsewhere meanwhile (the tray's speed limit, say).
  void changeEvent(QEvent *event) override;

private:
  // A page's form, under its title and what it is about.
  QFormLayout *AddPage(const QString &title, const QString &about);
  void DownloadsPage();
  void NetworkPage();
  void StreamsPage();
  void ExtractorPage();
  void ClipboardPage();

  // Fields of each kind, read from the settings and written back into them.
  void AddNumber(QFormLayout &form, const QString &label, engine::Bounds bounds,
                 int engine::Config::*setting);
  void AddCheck(QFormLayout &form, const QString &label, bool engine::Config::*setting);
  // A text: `check` says what is wrong with one (nothing: anything goes); `browse` (when given)
  // offers a chooser beside it that gives the text.
  using Check = std::function<std::string(const std::string &)>;
  QLineEdit *AddText(QFormLayout &form, const QString &label,
                     std::function<std::string(const engine::Config &)> show, Check check,
                     std::function<void(engine::Config &, const std::string &)> take,
                     std::function<QString(QWidget *)> browse = {});
  // The line under a field that says what is wrong with it; empty: nothing.
  QLabel *AddProblem(QFormLayout &form, QWidget *field);
  void Change(const std::function<void(engine::Config &)> &change);

  DesktopController &controller_;
  QListWidget *pages_;
  QStackedWidget *stack_;
  std::vector<std::function<void()>> refreshers_;
};

} // namespace vidtrawl::gui
