#include "gui/DetailsPane.h"

#include "gui/ItemLog.h"
#include "gui/RunTexts.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>

#include <filesystem>

namespace vidtrawl::gui {
namespace {

QString Text(const std::string &text) {
  return QString::fromStdString(text);
}

std::string SizeWords(const engine::ItemView &item) {
  switch (item.sizeKnown) {
  case engine::SizeKnown::Bytes:
    return engine::FormatSize(static_cast<double>(item.size)) + " (" + std::to_string(item.size) +
           " bytes)";
  case engine::SizeKnown::NotReported:
    return item.fragments > 0 ? "not known before its fragments are in" : "the server does not say";
  case engine::SizeKnown::Missing:
    return "the server has no such file";
  case engine::SizeKnown::Unknown:
    break;
  }
  return "not known yet";
}

std::string FileWords(const engine::ItemView &item, const std::string &downloadDir) {
  const std::filesystem::path folder(item.folder.empty() ? downloadDir : item.folder);
  std::string words = item.fileName ? (folder / *item.fileName).string()
                                    : "in " + folder.string() + ", named once it is known";
  if (engine::HoldsPartialFile(item))
    words += "; its bytes so far in " + item.partName + engine::kPartialSuffix;
  return words;
}

std::string PartsWords(const engine::ItemView &item, const engine::Config &config) {
  if (item.fragments > 0)
    return std::to_string(item.fragmentsStored) + " of " + std::to_string(item.fragments) +
           " fragments, " + std::to_string(config.fragments) + " at once";
  return "up to " + std::to_string(config.connections) +
         (config.connections == 1 ? " connection" : " connections");
}

} // namespace

DetailsPane::DetailsPane(engine::Engine &engine, const ItemLog &log, QWidget *parent)
    : QFrame(parent), engine_(engine), log_(log) {
  setAccessibleName(QStringLiteral("Details"));
  setFrameShape(QFrame::NoFrame);
  setAutoFillBackground(true);
  auto *row = new QHBoxLayout(this);
  row->setContentsMargins(8, 6, 8, 6);
  // The fields scroll in a pane too low for them all, rather than lose their last rows.
  auto *fields = new QWidget;
  auto *form = form_ = new QFormLayout(fields);
  form->setContentsMargins(0, 0, 0, 0);
  form->setHorizontalSpacing(10);
  form->setVerticalSpacing(2);
  // Why it failed comes first, and keeps a line at least however low the pane is: a wrapped
  // label under the fields was squeezed to nothing by them.
  reason_ = new QLabel(this);
  reason_->setWordWrap(true);
  reason_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  reason_->setMinimumHeight(reason_->fontMetrics().lineSpacing());
  form->addRow(new QLabel(QStringLiteral("Why"), this), reason_);
  page_ = AddField(*form, QStringLiteral("Page"));
  video_ = AddField(*form, QStringLiteral("Video"));
  file_ = AddField(*form, QStringLiteral("File"));
  size_ = AddField(*form, QStringLiteral("Size"));
  progress_ = AddField(*form, QStringLiteral("Progress"));
  parts_ = AddField(*form, QStringLiteral("Transfer"));
  none_ = new QLabel(QStringLiteral("Select a row to see all about its download."), this);
  form->addRow(none_);
  auto *scroll = new QScrollArea(this);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setWidget(fields);
  scroll->viewport()->setAutoFillBackground(false);
  fields->setAutoFillBackground(false);
  row->addWidget(scroll, 3);
  trace_ = new QPlainTextEdit(this);
  trace_->setReadOnly(true);
  trace_->setLineWrapMode(QPlainTextEdit::NoWrap);
  trace_->setAccessibleName(QStringLiteral("Trace"));
  trace_->setFont(QFont(QStringLiteral("Monospace"), font().pointSize() - 1));
  row->addWidget(trace_, 2);
  // As it is with nothing selected, before it is first shown: its height is laid out by then.
  form_->setRowVisible(reason_, false);
  engine_.Subscribe(this);
  Refresh();
}

DetailsPane::~DetailsPane() {
  engine_.Unsubscribe(this);
}

QLineEdit *DetailsPane::AddField(QFormLayout &form, const QString &label) {
  // A line of its own, to be selected and copied whole however long it is.
  auto *field = new QLineEdit(this);
  field->setReadOnly(true);
  field->setFrame(false);
  field->setAccessibleName(label);
  field->setFocusPolicy(Qt::ClickFocus);
  form.addRow(label, field);
  return field;
}

void DetailsPane::SetLook(const ListLook &look) {
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, look.rowGround);
  palette.setColor(QPalette::Base, look.rowGround);
  palette.setColor(QPalette::Text, look.rowText);
  palette.setColor(QPalette::WindowText, look.rowText);
  setPalette(palette);
  QPalette faint = palette;
  faint.setColor(QPalette::Base, look.ground);
  trace_->setPalette(faint);
}

void DetailsPane::ShowItem(std::optional<engine::Serial> serial) {
  if (serial == shown_)
    return;
  shown_ = serial;
  traceWritten_ = ~std::uint64_t{0};
  Refresh();
}

void DetailsPane::ItemChanged(std::size_t index) {
  if (shown_ && index < engine_.Count() && engine_.SerialAt(index) == *shown_)
    Refresh();
}

void DetailsPane::RunsChanged(const std::vector<std::size_t> &indices) {
  const std::optional<std::size_t> index = shown_ ? engine_.IndexOf(*shown_) : std::nullopt;
  if (index && std::binary_search(indices.begin(), indices.end(), *index))
    Refresh();
}

void DetailsPane::showEvent(QShowEvent *event) {
  QFrame::showEvent(event);
  traceWritten_ = ~std::uint64_t{0};
  Refresh();
}

void DetailsPane::Refresh() {
  // Hidden, it costs nothing: it reads the item when it shows.
  if (!isVisible())
    return;
  const std::optional<engine::ItemView> item = shown_ ? engine_.Find(*shown_) : std::nullopt;
  for (QLineEdit *field : {page_, video_, file_, size_, progress_, parts_})
    field->setEnabled(item.has_value());
  // Rows shown and hidden through the form: a row's widgets hidden and shown again on their own
  // stayed out of its layout.
  form_->setRowVisible(none_, !item);
  const std::string reason = item ? engine::ReasonText(*item) : std::string();
  form_->setRowVisible(reason_, !reason.empty());
  if (!item) {
    for (QLineEdit *field : {page_, video_, file_, size_, progress_, parts_})
      field->clear();
    trace_->clear();
    return;
  }
  const auto set = [](QLineEdit *field, const std::string &text) {
    // Unchanged, it keeps what the user selected in it.
    if (field->text() != Text(text)) {
      field->setText(Text(text));
      field->setCursorPosition(0);
    }
  };
  set(page_, item->address);
  set(video_, item->videoAddress.empty() ? "not found yet" : item->videoAddress);
  set(file_, FileWords(*item, engine_.DownloadDir()));
  set(size_, SizeWords(*item));
  std::string progress(engine::PhaseName(item->phase));
  for (const std::string &part : {ProgressText(*item), RowSpeedText(*item)})
    if (!part.empty() && part != reason)
      progress += " · " + part;
  if (const std::string left = TimeLeftText(*item); !left.empty())
    progress += " · " + left + " left";
  set(progress_, progress);
  set(parts_, PartsWords(*item, engine_.Settings()));
  reason_->setText(Text(reason));
  if (log_.Written() == traceWritten_)
    return;
  traceWritten_ = log_.Written();
  QScrollBar &bar = *trace_->verticalScrollBar();
  const bool atEnd = bar.value() == bar.maximum();
  trace_->setPlainText(Text(log_.Text({item->serial})));
  if (atEnd)
    bar.setValue(bar.maximum());
}

} // namespace vidtrawl::gui
