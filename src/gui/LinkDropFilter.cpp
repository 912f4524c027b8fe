#include "gui/LinkDropFilter.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace vidtrawl::gui {
namespace {

bool HoldsLinks(const QMimeData *data) {
  return data != nullptr && (data->hasUrls() || data->hasText());
}

// The links of a drop, one a line: the addresses of dropped links, or the
// dropped text as it is.
QString DroppedText(const QMimeData *data) {
  if (data->hasUrls()) {
    QStringList lines;
    for (const QUrl &url : data->urls())
      lines << url.toString();
    return lines.join(u'\n');
  }
  return data->text();
}

} // namespace

bool LinkDropFilter::eventFilter(QObject *, QEvent *event) {
  switch (event->type()) {
  case QEvent::DragEnter:
  case QEvent::DragMove: {
    auto *drag = static_cast<QDragMoveEvent *>(event);
    if (!HoldsLinks(drag->mimeData()))
      return false;
    drag->acceptProposedAction();
    return true;
  }
  case QEvent::Drop: {
    auto *drop = static_cast<QDropEvent *>(event);
    if (!HoldsLinks(drop->mimeData()))
      return false;
    drop->acceptProposedAction();
    add_(DroppedText(drop->mimeData()).toStdString());
    return true;
  }
  default:
    return false;
  }
}

} // namespace vidtrawl::gui
