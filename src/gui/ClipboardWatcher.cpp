#include "gui/ClipboardWatcher.h"

#include "gui/X11ClipboardReader.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMetaObject>
#include <QPointer>

namespace vidtrawl::gui {

ClipboardWatcher::ClipboardWatcher(std::function<void(const std::string &)> deliver,
                                   std::function<void(const std::string &)> tell)
    : deliver_(std::move(deliver)), tell_(std::move(tell)) {
  if (QGuiApplication::platformName() == QLatin1String("xcb"))
    x11_ = X11ClipboardReader::Open();
  if (!x11_)
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
      if (watching_)
        Delivered(Text());
    });
}

ClipboardWatcher::~ClipboardWatcher() {
  if (x11_)
    x11_->Stop();
}

void ClipboardWatcher::Watch(bool on) {
  watching_ = on;
  if (x11_) {
    if (!on) {
      x11_->Stop();
      return;
    }
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
  if (on && !toldAboutFocus_ && QGuiApplication::platformName().startsWith(u"wayland")) {
    toldAboutFocus_ = true;
    if (tell_)
      tell_("On Wayland the clipboard monitor sees a copied address only while the Vidtrawl "
            "window has the focus.");
  }
}

std::string ClipboardWatcher::Text() {
  if (x11_)
    return x11_->LastText();
  const QString text = QGuiApplication::clipboard()->text();
  if (static_cast<std::size_t>(text.size()) > X11ClipboardReader::kMaxText)
    return {};
  return text.toStdString();
}

void ClipboardWatcher::Delivered(const std::string &text) {
  if (text.empty() || text.size() > X11ClipboardReader::kMaxText)
    return;
  deliver_(text);
}

} // namespace vidtrawl::gui
