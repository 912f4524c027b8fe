#include "gui/QtMessageBox.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
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
                  yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::NoButton, owner_);
  QPushButton *keep = nullptr, *remove = nullptr;
  if (message.buttons == Buttons::KeepDeleteCancel) {
    keep = box.addButton(QStringLiteral("&Keep Partial Files"), QMessageBox::AcceptRole);
    remove = box.addButton(QStringLiteral("&Delete Them"), QMessageBox::DestructiveRole);
    box.setEscapeButton(box.addButton(QMessageBox::Cancel));
    box.setDefaultButton(keep);
  } else if (yesNo) {
    box.setDefaultButton(QMessageBox::No);
    if (!message.yes.empty()) {
      box.button(QMessageBox::Yes)->setText(QString::fromStdString(message.yes));
      box.button(QMessageBox::No)->setText(QString::fromStdString(message.no));
    }
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  if (!message.checkBox.empty())
    box.setCheckBox(new QCheckBox(QString::fromStdString(message.checkBox), &box));
  const int answer = box.exec();
  if (message.checked != nullptr)
    *message.checked = box.checkBox() != nullptr && box.checkBox()->isChecked();
  if (keep != nullptr)
    return box.clickedButton() == keep     ? Answer::Keep
           : box.clickedButton() == remove ? Answer::Delete
                                           : Answer::Cancel;
  if (!yesNo)
    return Answer::Ok;
  return answer == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

} // namespace vidtrawl::gui
