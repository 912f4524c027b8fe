#include "gui/QtMessageBox.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QString>

namespace vidtrawl::gui {
namespace {

QMessageBox::Icon ToQt(MessageBox::Icon icon) {
  switch (icon) {
  case MessageBox::Icon::Error:
    return QMessageBox::Critical;
  case MessageBox::Icon::Exclamation:
    return QMessageBox::Warning;
  case MessageBox::Icon::Question:
    return QMessageBox::Question;
  case MessageBox::Icon::None:
    break;
  }
  return QMessageBox::NoIcon;
}

} // namespace

MessageBox::Answer QtMessageBox::ShowMessage(const Message &message) {
  const bool yesNo = message.buttons == Buttons::YesNo;
  QMessageBox box(ToQt(message.icon), QString::fromStdString(message.title),
                  QString::fromStdString(message.text),
                  yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, owner_);
  if (yesNo)
    box.setDefaultButton(QMessageBox::No);
  if (!message.checkBox.empty())
    box.setCheckBox(new QCheckBox(QString::fromStdString(message.checkBox), &box));
  const int answer = box.exec();
  if (message.checked != nullptr)
    *message.checked = box.checkBox() != nullptr && box.checkBox()->isChecked();
  if (!yesNo)
    return Answer::Ok;
  return answer == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

} // namespace vidtrawl::gui
