#include "gui/ClipboardWatcher.h"

#include "gui/WaylandClipboardReader.h"
#include "gui/X11ClipboardReader.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMetaObject>
#include <QPointer>

namespace vidtrawl::gui {

namespace {

// How often a copy waiting for the claim asks again.
constexpr int kRetryMillis = 1000;

bool OnWayland() {
  return QGuiApplication::platformName().startsWith(u"wayland");
}

// Why, once wl-paste has ended, copies are seen only while the window has the focus.
std::string WhyReaderEnded(WaylandClipboardReader::Ending ending, const std::string &message) {
  if (ending == WaylandClipboardReader::Ending::kUnsupported)
    return "this desktop does not let programs see copies while their window is hidden";
  return "wl-paste stopped (" + message + ")";
}

} // namespace

ClipboardWatcher::ClipboardWatcher(std::function<void(const std::string &)> deliver,
                                   std::function<void(const std::string &)> tell,
                                   ClipboardClaim claim)
    : deliver_(std::move(deliver)), tell_(std::move(tell)), claim_(std::move(claim)) {
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    reader_ = X11ClipboardReader::Open();
  } else if (OnWayland()) {
    // Told on the reader's thread; handled on the program's.
    reader_ = WaylandClipboardReader::Open(
        [self = QPointer<ClipboardWatcher>(this)](WaylandClipboardReader::Ending ending,
                                                  const std::string &message) {
          QMetaObject::invokeMethod(
              self,
              [self, why = WhyReaderEnded(ending, message)] {
                if (self)
                  self->ReaderEnded(why);
              },
              Qt::QueuedConnection);
        });
    if (!reader_)
      focusOnlyWhy_ = "install wl-clipboard to let it see copies while the window is hidden";
  }
  if (!reader_)
    FollowQtClipboard();
  retry_.setInterval(kRetryMillis);
  connect(&retry_, &QTimer::timeout, this, [this] { StartWhenClaimed(); });
}

ClipboardWatcher::~ClipboardWatcher() {
  if (reader_)
    reader_->Stop();
}

void ClipboardWatcher::FollowQtClipboard() {
  connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
    if (watching_ && claim_.Held())
      Delivered(Text());
  });
}

void ClipboardWatcher::ReaderEnded(std::string why) {
  if (!reader_)
    return;
  reader_->Stop();
  reader_.reset();
  focusOnlyWhy_ = std::move(why);
  FollowQtClipboard();
  if (watching_ && claim_.Held())
    TellFocusOnly();
}

void ClipboardWatcher::Watch(bool on) {
  watching_ = on;
  if (!on) {
    retry_.stop();
    if (reader_)
      reader_->Stop();
    claim_.Release(); // a copy waiting for it takes over
    return;
  }
  StartWhenClaimed();
  if (!claim_.Held() && !toldAboutOther_) {
    toldAboutOther_ = true;
    if (tell_ && claim_.Problem().isEmpty())
      tell_("Another copy of Vidtrawl is watching the clipboard: this one takes over when that "
            "copy ends or stops watching.");
    else if (tell_)
      tell_("Vidtrawl cannot watch the clipboard: its lock file " + claim_.File().toStdString() +
            " cannot be made (" + claim_.Problem().toStdString() +
            "). It tries again while the monitor is on.");
  }
}

void ClipboardWatcher::StartWhenClaimed() {
  if (!watching_ || !claim_.Take()) {
    if (watching_)
      retry_.start();
    return;
  }
  retry_.stop();
  StartReading();
}

void ClipboardWatcher::StartReading() {
  if (reader_) {
    // Handed to the program's thread; a watcher stopped meanwhile drops it.
    reader_->Start([self = QPointer<ClipboardWatcher>(this)](const std::string &text) {
      QMetaObject::invokeMethod(
          self,
          [self, text] {
            if (self && self->watching_)
              self->Delivered(text);
          },
          Qt::QueuedConnection);
    });
    return;
  }
  if (OnWayland())
    TellFocusOnly();
}

void ClipboardWatcher::TellFocusOnly() {
  if (toldAboutFocus_)
    return;
  toldAboutFocus_ = true;
  if (tell_)
    tell_("On Wayland the clipboard monitor sees a copied address only while the Vidtrawl window "
          "has the focus" +
          (focusOnlyWhy_.empty() ? std::string(".") : ": " + focusOnlyWhy_ + "."));
}

std::string ClipboardWatcher::Text() const {
  const QString text = QGuiApplication::clipboard()->text();
  if (static_cast<std::size_t>(text.size()) > ClipboardReader::kMaxText)
    return {};
  return text.toStdString();
}

void ClipboardWatcher::Copy(const std::string &text) {
  ownCopy_ = text;
  QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

void ClipboardWatcher::Delivered(const std::string &text) {
  if (text.empty() || text.size() > ClipboardReader::kMaxText)
    return;
  if (!ownCopy_.empty() && text == ownCopy_) {
    ownCopy_.clear();
    return;
  }
  deliver_(text);
}

} // namespace vidtrawl::gui
