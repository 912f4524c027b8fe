#include "gui/Desktop.h"

#include "channel/SessionSocket.h"
#include "gui/DataFolder.h"
#include "gui/ListMenu.h"
#include "gui/MovieContract.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QSystemTrayIcon>

#include <QIcon>
#include <QMenu>
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

Desktop::~Desktop() {
  log_.Unfollow();
}

Desktop::Desktop(Options options)
    : options_(std::move(options)), connectivity_(options_.engine.connectTo),
      engine_(engine::Hosts{loop_},
              [this] {
                engine::Options engine = options_.engine;
                engine.trace = &log_;
                return engine;
              }()),
      model_(engine_), status_(engine_), keeper_(engine_, options_.listFile),
      window_(std::make_unique<MainWindow>(model_)),
      clipboard_([this](const std::string &text) { controller_->Copied(text); },
                 [this](const std::string &text) { Tell(text); }),
      drops_([this](const std::string &text) { controller_->AddText(text); }),
      memory_(engine_, *window_) {
  log_.Follow(&engine_);
  if (options_.dataFolder.isEmpty())
    options_.dataFolder = DataFolder();
  messages_.SetOwner(window_.get());
  folders_.SetOwner(window_.get());
  controller_ = std::make_unique<DesktopController>(
      engine_,
      DesktopController::Hosts{window_->Movie(), *window_,
                               options_.shell ? *options_.shell : shell_,
                               options_.folders ? *options_.folders : folders_,
                               options_.connectivity ? *options_.connectivity : connectivity_,
                               options_.clipboard ? *options_.clipboard : clipboard_,
                               options_.messages ? *options_.messages : messages_, window_->List()},
      (options_.dataFolder + QStringLiteral("/help.html")).toStdString(),
      WebSite(options_.dataFolder).toStdString());
  window_->Movie().OnCommand(
      [this](const std::string &command, const std::string &) { controller_->Command(command); });
  window_->OnCloseRequest([this] { controller_->Exit(); });
  controller_->OnPassEnded([this](const DesktopController::PassEnd &end) { PassEnded(end); });
  // The pass at a glance: in the movie, and in the tray icon's tooltip.
  QObject::connect(&status_, &PassStatus::textChanged, &status_, [this] {
    const QString text = QString::fromStdString(status_.Text());
    window_->Movie().Set(movie::kPassStatus, status_.Text());
    if (menu_)
      menu_->Icon().setToolTip(text.isEmpty() ? QStringLiteral("Vidtrawl")
                                              : QStringLiteral("Vidtrawl\n") + text);
  });
  DownloadListView &list = window_->List();
  QObject::connect(&list, &DownloadListView::removeRequested, &list,
                   [this] { controller_->RemoveSelected(); });
  QObject::connect(&list, &DownloadListView::openRequested, &list,
                   [this](engine::Serial serial) { controller_->OpenFile(serial); });
  QObject::connect(&list, &DownloadListView::menuRequested, &list, [this](const QPoint &at) {
    QMenu menu(window_.get());
    FillListMenu(menu, *controller_, engine_, window_->List().SelectedItems(),
                 [this](const std::vector<engine::Serial> &items) { return log_.Text(items); });
    menu.exec(at);
  });
  for (QWidget *target : {static_cast<QWidget *>(&window_->Movie()), list.viewport()}) {
    target->setAcceptDrops(true);
    target->installEventFilter(&drops_);
  }
}

void Desktop::Tell(const std::string &text) {
  std::fprintf(stderr, "vidtrawl: %s\n", text.c_str());
  notifier_.Notify(QStringLiteral("Vidtrawl"), QString::fromStdString(text));
}

// A pass that ends while the window is hidden or minimised ends unseen: a
// notification says how it went, whoever started it.
void Desktop::PassEnded(const DesktopController::PassEnd &end) {
  if (window_->isVisible() && !window_->isMinimized())
    return;
  notifier_.Notify(QStringLiteral("Downloads finished"),
                   QString::fromStdString(controller_->PassEndNote(end.summary)),
                   end.summary.failed > 0);
}

bool Desktop::Start() {
  // Without its movie the window would be blank: the user learns why, and
  // where its files were looked for.
  const QString movie = options_.dataFolder + QStringLiteral("/movie/Main.qml");
  if (const std::string problem = window_->Movie().Load(movie); !problem.empty()) {
    const std::string text = "Vidtrawl cannot start: " + problem +
                             ".\n\nIts data folder (the window's movie, the help and the icon) "
                             "was looked for in " +
                             options_.dataFolder.toStdString() + ".";
    std::fprintf(stderr, "vidtrawl: %s\n", text.c_str());
    (options_.messages ? *options_.messages : messages_)
        .Show(text, MessageBox::Buttons::Ok, MessageBox::Icon::Error);
    return false;
  }

  // The main window: icon in the tray, the movie over the whole window,
  // the list's columns, the about text and the settings.
  const QIcon icon(options_.dataFolder + QStringLiteral("/vidtrawl.svg"));
  window_->setWindowIcon(icon);
  menu_ = std::make_unique<TrayMenu>(*controller_, *window_, icon);
  notifier_.SetTray(&menu_->Icon());
  window_->SetMenu(menu_.get());
  menu_->ShowIcon();
  window_->ApplyLook();
  controller_->Start(VIDTRAWL_VERSION_MAJOR, VIDTRAWL_VERSION_MINOR, VIDTRAWL_VERSION_PATCH);
  // The list as the last run left it (by the settings' rule, now loaded).
  if (const std::string note =
          keeper_.Load(channel::SessionName(QGuiApplication::platformName().toStdString()));
      !note.empty())
    Tell(note);
  window_->StartFilters();
  memory_.Restore();
  window_->show();
  return true;
}

} // namespace vidtrawl::gui
