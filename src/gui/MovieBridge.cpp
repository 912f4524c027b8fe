#include "gui/MovieBridge.h"

#include <QClipboard>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMetaObject>
#include <QQmlError>
#include <QQuickItem>
#include <QUrl>
#include <QVariant>

namespace vidtrawl::gui {
namespace {

constexpr char kRootPrefix[] = "_root.";

// The root item's property behind a movie variable.
QByteArray PropertyName(const std::string &variable) {
  std::string name = variable;
  if (name.rfind(kRootPrefix, 0) == 0)
    name.erase(0, sizeof kRootPrefix - 1);
  return QByteArray::fromStdString(name);
}

} // namespace

MovieBridge::MovieBridge(QWidget *parent) : QQuickWidget(parent) {
  setResizeMode(QQuickWidget::SizeRootObjectToView);
  setFocusPolicy(Qt::StrongFocus);
}

std::string MovieBridge::Load(const QString &file) {
  if (!QFileInfo(file).isFile())
    return "the movie " + file.toStdString() + " is missing";
  setSource(QUrl::fromLocalFile(file));
  if (status() != QQuickWidget::Ready || rootObject() == nullptr) {
    std::string problem = "the movie " + file.toStdString() + " cannot be shown:";
    for (const QQmlError &error : errors())
      problem += "\n" + error.toString().toStdString();
    setSource(QUrl());
    return problem;
  }
  root_ = rootObject();
  // A text field follows every change of the clipboard by asking its owner
  // what it holds, on the program's thread, for up to five seconds when the
  // owner does not answer: with the clipboard monitor copying is common,
  // and a window that stops answering at each copy is no good. Pasting
  // still reads the clipboard when the user asks for it.
  for (QObject *item : root_->findChildren<QObject *>())
    if (item->inherits("QQuickTextInput"))
      QObject::disconnect(QGuiApplication::clipboard(), nullptr, item, nullptr);
  root_->setProperty("zoom", zoom_);
  connect(root_, SIGNAL(listAreaChanged()), this, SIGNAL(listAreaChanged()));
  emit listAreaChanged();
  // Connected at once: the movie announces its first page on the next turn.
  if (!connect(root_, SIGNAL(fsCommand(QString, QString)), this,
               SLOT(CommandSent(QString, QString)))) {
    return "the movie " + file.toStdString() + " sends no commands";
  }
  return {};
}

void MovieBridge::CommandSent(const QString &command, const QString &args) {
  if (handler_)
    handler_(command.toStdString(), args.toStdString());
}

void MovieBridge::Set(const std::string &name, const std::string &value) {
  // Without a movie, and for names the movie does not declare, the value is
  // kept as a dynamic property and read back as it was set.
  QObject *target = root_ != nullptr ? root_ : this;
  target->setProperty(PropertyName(name).constData(), QString::fromStdString(value));
}

std::string MovieBridge::Get(const std::string &name) {
  const QObject *target = root_ != nullptr ? root_ : this;
  return target->property(PropertyName(name).constData()).toString().toStdString();
}

bool MovieBridge::ShowFieldMenu(std::optional<QPoint> position) {
  auto *field =
      root_ != nullptr ? root_->findChild<QQuickItem *>(QStringLiteral("urlField")) : nullptr;
  if (field == nullptr || !field->isVisible())
    return false;
  // The field's frame counts as the field.
  const QQuickItem *frame = field->parentItem() != nullptr ? field->parentItem() : field;
  if (position ? !frame->contains(frame->mapFromScene(QPointF(*position)))
               : !field->hasActiveFocus())
    return false;
  field->forceActiveFocus();
  const QPoint at = position ? *position : field->mapToScene(QPointF(0, field->height())).toPoint();
  const bool selection = !field->property("selectedText").toString().isEmpty();
  QMenu menu(this);
  const auto call = [field](const char *method) { QMetaObject::invokeMethod(field, method); };
  menu.addAction(QStringLiteral("Cu&t"), [call] { call("cut"); })->setEnabled(selection);
  menu.addAction(QStringLiteral("&Copy"), [call] { call("copy"); })->setEnabled(selection);
  menu.addAction(QStringLiteral("&Paste"),
                 [field, call] {
                   // An address the program put there is replaced, not added to.
                   if (field->property("givenByProgram").toBool())
                     call("selectAll");
                   call("paste");
                 })
      ->setEnabled(!QGuiApplication::clipboard()->text().isEmpty());
  menu.addSeparator();
  menu.addAction(QStringLiteral("Select &All"), [call] { call("selectAll"); });
  menu.exec(mapToGlobal(at));
  return true;
}

QQuickItem *MovieBridge::FocusChainEnd(bool last) const {
  // From the content item, which takes no focus, one step forwards is the
  // chain's first item and one step backwards its last.
  QQuickItem *content = quickWindow()->contentItem();
  QQuickItem *end = content->nextItemInFocusChain(!last);
  return end != content ? end : nullptr;
}

bool MovieBridge::focusNextPrevChild(bool next) {
  // Qt Quick's chain goes round within the movie: from its last item Tab
  // leaves for the next widget (the download list), and Shift+Tab from its
  // first for the previous one.
  const QQuickItem *focused = quickWindow()->activeFocusItem();
  if (focused != nullptr && focused == FocusChainEnd(next))
    return QWidget::focusNextPrevChild(next);
  return QQuickWidget::focusNextPrevChild(next);
}

void MovieBridge::focusInEvent(QFocusEvent *event) {
  QQuickWidget::focusInEvent(event);
  // Tabbed into from another widget: the chain starts again at its first
  // item, or at its last for Shift+Tab.
  const bool back = event->reason() == Qt::BacktabFocusReason;
  if (back || event->reason() == Qt::TabFocusReason)
    if (QQuickItem *end = FocusChainEnd(back))
      end->forceActiveFocus(event->reason());
}

void MovieBridge::ShowPage(const QString &page) {
  if (root_ != nullptr)
    QMetaObject::invokeMethod(root_, "showPage", Q_ARG(QString, page));
}

void MovieBridge::SetZoom(double zoom) {
  zoom_ = zoom;
  if (root_ != nullptr)
    root_->setProperty("zoom", zoom);
}

QRect MovieBridge::ListArea() const {
  if (root_ == nullptr)
    return {};
  const QRectF area = root_->property("listArea").toRectF();
  return QRect(qRound(area.x()), qRound(area.y()), qRound(area.width()), qRound(area.height()));
}

} // namespace vidtrawl::gui
