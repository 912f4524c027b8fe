#include "gui/SkinStyle.h"

#include <QColor>
#include <QObject>
#include <QVariant>

namespace vidtrawl::gui {

QString SkinStyleSheet(const QObject *theme) {
  if (theme == nullptr)
    return {};
  QString sheet = QStringLiteral(R"(
QDialog { background: @windowBg; color: @text; }
QLabel { color: @text; }
QLabel#pageTitle { font-size: 15px; font-weight: 600; }
QLabel#hint { color: @textMuted; }
QLabel#problem { color: @danger; }
QListWidget#pages { background: @surface; border: 1px solid @border; border-radius: 9px;
  padding: 6px; color: @text; outline: none; }
QListWidget#pages::item { padding: 7px 12px; border-radius: @radiuspx; }
QListWidget#pages::item:hover { background: @hover; }
QListWidget#pages::item:selected { background: @accentSoft; color: @accentText; }
QLineEdit, QComboBox, QPlainTextEdit { background: @surface; color: @text;
  border: 1px solid @border; border-radius: @radiuspx; padding: 4px 7px;
  selection-background-color: @accent; selection-color: white; }
QLineEdit:focus, QComboBox:focus, QPlainTextEdit:focus,
QListWidget#pages:focus { border: 2px solid @focus; }
QLineEdit[problem="true"], QComboBox[problem="true"], QPlainTextEdit[problem="true"] {
  border: 2px solid @danger; }
QComboBox QAbstractItemView { background: @surface; color: @text;
  selection-background-color: @accentSoft; selection-color: @accentText; }
QPushButton { background: @surface; color: @text; border: 1px solid @border;
  border-radius: @radiuspx; padding: 6px 16px; font-weight: 500; }
QPushButton:hover { background: @hover; }
QPushButton:pressed { background: @pressed; border-color: @borderStrong; }
QPushButton:focus { border: 2px solid @focus; }
QPushButton#close { background: @accent; color: white; border: none; font-weight: 600; }
QPushButton#close:hover { background: @accentHover; }
QCheckBox { color: @text; spacing: 8px; }
)");
  // Longest names first: "@accentSoft" is not "@accent" and "Soft".
  for (const char *name :
       {"accentSoft", "accentText", "accentHover", "borderStrong", "windowBg", "textMuted",
        "surface", "border", "text", "danger", "accent", "focus", "hover", "pressed"})
    sheet.replace(QLatin1Char('@') + QLatin1String(name),
                  theme->property(name).value<QColor>().name());
  return sheet.replace(QStringLiteral("@radius"),
                       QString::number(theme->property("radius").toInt()));
}

} // namespace vidtrawl::gui
