#include "gui/Desktop.h"

#include "gui/DataFolder.h"
#include "gui/NamedMutex.h"

#include <QFileInfo>
#include <QSystemTrayIcon>

#include <QIcon>
#include <QUrl>
#include <cstdio>

namespace vidtrawl::gui {
namespace {

// The movie's web-site command opens the project's home page; without one
// configured, the help document's about section.
QString WebSite(const QString &dataFolder) {
  const QString configured = QStringLiteral(VIDTRAWL_HOME_PAGE);
  if (!configured.isEmpty())
    return configured;
  QUrl help = QUrl::fromLocalFile(dataFolder + QStringLiteral("/help.html"));
  help.setFragment(QStringLiteral("about"));
  return help.toString();
}

} // namespace

Desktop::Desktop() : Desktop(Options{}) {}

Desktop::Desktop(Options options)
    : options_(std::move(options)), timers_([this](host::Timers::Id id) {
        if (engine_)
          engine_->OnTimer(id);
      }),
      clipboard_([this](const std::string &text) { engine_->txtMonitor_Change(text); },
                 [this](const std::string &text) { Tell(text); }),
      drops_([this](const std::string &text) { engine_->AddLinksFromText(text); }) {
  if (options_.dataFolder.isEmpty())
    options_.dataFolder = DataFolder();
  messages_.SetOwner(&window_);
  messages_.SetLog([this](const std::string &text) { Tell(text); });
  folders_.SetOwner(&window_);
  host::MessageBox &messages = options_.messages ? *options_.messages : messages_;
  host::Connectivity &online = options_.connectivity ? *options_.connectivity : connectivity_;
  engine_ = std::make_unique<engine::Engine>(
      engine::Hosts{pump_, messages, window_.Grid(), window_.Movie(), online}, options_.engine);
  engine_->AttachDesktop(
      engine::DesktopHosts{window_, timers_, options_.shell ? *options_.shell : shell_,
                           options_.folders ? *options_.folders : folders_,
                           options_.clipboard ? *options_.clipboard : clipboard_},
      (options_.dataFolder + QStringLiteral("/help.html")).toStdString(),
      WebSite(options_.dataFolder).toStdString());
  window_.Grid().SetCellUpdateEvents(&engine_->CellEvents());
  window_.Movie().OnCommand([this](const std::string &command, const std::string &args) {
    engine_->Flash_FSCommand(command, args);
  });
  window_.OnCloseRequest([this] { engine_->EndMe(); });
  engine_->OnPassEnded([this](const engine::PassSummary &summary) { PassEnded(summary); });
  for (QWidget *target : {static_cast<QWidget *>(&window_.Movie()), window_.Grid().viewport()}) {
    target->setAcceptDrops(true);
    target->installEventFilter(&drops_);
  }
}

void Desktop::Tell(const std::string &text) {
  std::fprintf(stderr, "vidtrawl: %s\n", text.c_str());
  if (menu_ && menu_->Icon().isVisible() && QSystemTrayIcon::supportsMessages())
    menu_->Icon().showMessage(QStringLiteral("Vidtrawl"), QString::fromStdString(text));
}

// A pass the clipboard monitor started while the window was hidden ends
// unseen: the tray says how it went.
void Desktop::PassEnded(const engine::PassSummary &summary) {
  if (!summary.startedByMonitor || window_.isVisible() || !menu_ || !menu_->Icon().isVisible() ||
      !QSystemTrayIcon::supportsMessages())
    return;
  const QString text =
      QStringLiteral("%1 complete, %2 failed.").arg(summary.completed).arg(summary.failed);
  menu_->Icon().showMessage(QStringLiteral("Downloads finished"), text,
                            summary.failed > 0 ? QSystemTrayIcon::Warning
                                               : QSystemTrayIcon::Information);
}

void Desktop::Start() {
  CreateNamedMutex();

  // The main window: icon in the tray, the movie over the whole window,
  // the grid's columns, the about text.
  const QIcon icon(options_.dataFolder + QStringLiteral("/vidtrawl.svg"));
  window_.setWindowIcon(icon);
  menu_ = std::make_unique<frmMenu>(*engine_, window_, icon);
  window_.SetMenu(menu_.get());
  menu_->ShowIcon();
  window_.Movie().Load(options_.dataFolder + QStringLiteral("/Main.qml"));
  engine_->FormatDownloadGrid(true);
  engine_->ShowAboutText(VIDTRAWL_VERSION_MAJOR, VIDTRAWL_VERSION_MINOR, VIDTRAWL_VERSION_PATCH);

  engine_->LoadSettings();
  window_.StartHook();
  window_.show();
}

} // namespace vidtrawl::gui
