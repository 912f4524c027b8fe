#include "gui/QtMessageBox.h"

#include <QMessageBox>
#include <QString>

namespace vidtrawl::gui {
namespace {

QMessageBox::Icon ToQt(host::MessageBox::Icon icon) {
  switch (icon) {
  case host::MessageBox::Icon::Error:
    return QMessageBox::Critical;
  case host::MessageBox::Icon::Exclamation:
    return QMessageBox::Warning;
  case host::MessageBox::Icon::Question:
    return QMessageBox::Question;
  case host::MessageBox::Icon::None:
    break;
  }
  return QMessageBox::NoIcon;
}

} // namespace

host::MessageBox::Answer QtMessageBox::ShowMessage(const Message &message) {
  const bool yesNo = message.buttons == Buttons::YesNo;
  QMessageBox box(ToQt(message.icon), QString::fromStdString(message.title),
                  QString::fromStdString(message.text),
                  yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, owner_);
  if (yesNo)
    box.setDefaultButton(QMessageBox::No);
  const int answer = box.exec();
  if (!yesNo)
    return Answer::Ok;
  return answer == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

} // namespace vidtrawl::gui
