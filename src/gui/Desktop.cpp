#include "gui/Desktop.h"

#include "channel/SessionSocket.h"
#include "gui/DataFolder.h"
#include "gui/ListMenu.h"
#include "gui/MovieContract.h"
#include "gui/SkinStyle.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QSystemTrayIcon>

#include <QClipboard>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QQuickItem>
#include <cstdio>

namespace vidtrawl::gui {
namespace {

// The movie's web-site command opens the project's home page; without one configured at build
// time the About page offers none.
constexpr char kWebSite[] = VIDTRAWL_HOME_PAGE;

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
      model_(engine_), status_(engine_), keeper_(engine_, loop_, options_.listFile),
      window_(std::make_unique<MainWindow>(model_, engine_, log_)),
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
      (options_.dataFolder + QStringLiteral("/help.html")).toStdString(), kWebSite);
  window_->Movie().OnCommand(
      [this](const std::string &command, const std::string &) { controller_->Command(command); });
  window_->OnCloseRequest([this] { controller_->Exit(); });
  controller_->OnPassEnded([this](const DesktopController::PassEnd &end) { PassEnded(end); });
  model_.OnRename([this](engine::Serial serial, const std::string &typed) {
    return controller_->Rename(serial, typed);
  });
  // The pass at a glance: in the movie's status line, and in the tray icon's tooltip.
  QObject::connect(&status_, &PassStatus::textChanged, &status_, [this] { ShowStatus(); });
  controller_->OnSettingsChanged([this] { status_.Update(); });
  QObject::connect(window_.get(), &MainWindow::settingsRequested, window_.get(),
                   [this] { Settings().Open(); });
  QObject::connect(window_.get(), &MainWindow::speedLimitRequested, window_.get(), [this] {
    SpeedLimitMenu menu([this] { return controller_->SpeedLimit(); },
                        [this](std::uint64_t limit) { controller_->SetSpeedLimit(limit); });
    menu.exec(QCursor::pos());
  });
  DownloadListView &list = window_->List();
  QObject::connect(&list, &DownloadListView::removeRequested, &list,
                   [this] { controller_->RemoveSelected(); });
  QObject::connect(&list, &DownloadListView::openRequested, &list,
                   [this](engine::Serial serial) { controller_->OpenFile(serial); });
  QObject::connect(&list, &DownloadListView::pasteRequested, &list, [this] {
    controller_->AddText(QGuiApplication::clipboard()->text().toStdString());
  });
  QObject::connect(&list, &DownloadListView::menuRequested, &list, [this](const QPoint &at) {
    QMenu menu(window_.get());
    FillListMenu(menu, *controller_, engine_, window_->List().SelectedItems(),
                 {[this](const std::vector<engine::Serial> &items) { return log_.Text(items); },
                  window_->DetailsShown(), [this] { window_->ToggleDetails(); },
                  [this] { Settings().Open(); }});
    menu.exec(at);
  });
  for (QWidget *target : {static_cast<QWidget *>(&window_->Movie()), list.viewport()}) {
    target->setAcceptDrops(true);
    target->installEventFilter(&drops_);
  }
}

SettingsWindow &Desktop::Settings() {
  if (!settings_) {
    settings_ = std::make_unique<SettingsWindow>(*controller_, window_.get());
    settings_->setWindowFlag(Qt::Window);
  }
  // In the skin's look, light or dark as the palette is now.
  settings_->setStyleSheet(
      SkinStyleSheet(window_->Movie().rootObject() != nullptr
                         ? window_->Movie().rootObject()->property("theme").value<QObject *>()
                         : nullptr));
  return *settings_;
}

void Desktop::ShowStatus() {
  MovieBridge &movie = window_->Movie();
  movie.Set(movie::kPassStatus, status_.Text());
  movie.Set(movie::kSpeedLimit, status_.Limit());
  if (!menu_)
    return;
  std::string tip = "Vidtrawl";
  for (const std::string &line : {status_.Text(), status_.Limit()})
    if (!line.empty())
      tip += "\n" + line;
  menu_->Icon().setToolTip(QString::fromStdString(tip));
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
  ShowStatus();
  // The list as the last run left it (by the settings' rule, now loaded), and its unfinished
  // items going on.
  if (const std::string note =
          keeper_.Load(channel::SessionName(QGuiApplication::platformName().toStdString()));
      !note.empty())
    Tell(note);
  controller_->ResumeAtStart();
  window_->StartFilters();
  memory_.Restore();
  window_->show();
  return true;
}

} // namespace vidtrawl::gui
