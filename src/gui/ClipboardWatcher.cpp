#include "gui/ClipboardWatcher.h"

#include "gui/X11ClipboardReader.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMetaObject>
#include <QPointer>

namespace vidtrawl::gui {

namespace {

// How often a copy waiting for the claim asks again.
constexpr int kRetryMillis = 1000;

} // namespace

ClipboardWatcher::ClipboardWatcher(std::function<void(const std::string &)> deliver,
                                   std::function<void(const std::string &)> tell,
                                   ClipboardClaim claim)
    : deliver_(std::move(deliver)), tell_(std::move(tell)), claim_(std::move(claim)) {
  if (QGuiApplication::platformName() == QLatin1String("xcb"))
    x11_ = X11ClipboardReader::Open();
  if (!x11_)
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
      if (watching_ && claim_.Held())
        Delivered(Text());
    });
  retry_.setInterval(kRetryMillis);
  connect(&retry_, &QTimer::timeout, this, [this] { StartWhenClaimed(); });
}

ClipboardWatcher::~ClipboardWatcher() {
  if (x11_)
    x11_->Stop();
}

void ClipboardWatcher::Watch(bool on) {
  watching_ = on;
  if (!on) {
    retry_.stop();
    if (x11_)
      x11_->Stop();
    claim_.Release(); // a copy waiting for it takes over
    return;
  }
  StartWhenClaimed();
  if (!claim_.Held() && !toldAboutOther_) {
    toldAboutOther_ = true;
    if (tell_)
      tell_("Another copy of Vidtrawl is watching the clipboard: this one takes over when that "
            "copy ends or stops watching.");
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
  if (x11_) {
    // Handed to the program's thread; a watcher stopped meanwhile drops it.
    x11_->Start([self = QPointer<ClipboardWatcher>(this)](const std::string &text) {
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
  if (!toldAboutFocus_ && QGuiApplication::platformName().startsWith(u"wayland")) {
    toldAboutFocus_ = true;
    if (tell_)
      tell_("On Wayland the clipboard monitor sees a copied address only while the Vidtrawl "
            "window has the focus.");
  }
}

std::string ClipboardWatcher::Text() const {
  const QString text = QGuiApplication::clipboard()->text();
  if (static_cast<std::size_t>(text.size()) > X11ClipboardReader::kMaxText)
    return {};
  return text.toStdString();
}

void ClipboardWatcher::Copy(const std::string &text) {
  ownCopy_ = text;
  QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

void ClipboardWatcher::Delivered(const std::string &text) {
  if (text.empty() || text.size() > X11ClipboardReader::kMaxText)
    return;
  if (!ownCopy_.empty() && text == ownCopy_) {
    ownCopy_.clear();
    return;
  }
  deliver_(text);
}

} // namespace vidtrawl::gui
