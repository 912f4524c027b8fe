#include "gui/Desktop.h"

#include "gui/DataFolder.h"
#include "gui/NamedMutex.h"

#include <QFileInfo>
#include <QIcon>
#include <QUrl>

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
      }) {
  if (options_.dataFolder.isEmpty())
    options_.dataFolder = DataFolder();
  messages_.SetOwner(&window_);
  folders_.SetOwner(&window_);
  host::MessageBox &messages = options_.messages ? *options_.messages : messages_;
  host::Connectivity &online = options_.connectivity ? *options_.connectivity : connectivity_;
  engine_ = std::make_unique<engine::Engine>(
      engine::Hosts{pump_, messages, window_.Grid(), window_.Movie(), online}, options_.engine);
  engine_->AttachDesktop(engine::DesktopHosts{window_, timers_,
                                              options_.shell ? *options_.shell : shell_,
                                              options_.folders ? *options_.folders : folders_},
                         (options_.dataFolder + QStringLiteral("/help.html")).toStdString(),
                         WebSite(options_.dataFolder).toStdString());
  // Nothing in the window reads a file while it is received (the status
  // cell shows the bytes counted): it is written in 64 KiB blocks, as the
  // console writes it. Chunk by chunk it cost one system call per 2 KiB,
  // half a million per GiB, most of the desktop's CPU time in a download.
  engine_->SetWriteBehind(true);
  window_.Grid().SetCellUpdateEvents(&engine_->CellEvents());
  window_.Movie().OnCommand([this](const std::string &command, const std::string &args) {
    engine_->Flash_FSCommand(command, args);
  });
  window_.OnCloseRequest([this] { engine_->EndMe(); });
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
