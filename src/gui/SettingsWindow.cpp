#include "gui/SettingsWindow.h"

#include "base/ByteRate.h"
#include "base/TrimBlanks.h"
#include "engine/Engine.h"
#include "gui/DesktopController.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyle>

namespace vidtrawl::gui {
namespace {

using engine::Config;

QString Text(const std::string &text) {
  return QString::fromStdString(text);
}

// A field's look follows whether its text is refused.
void MarkProblem(QWidget *field, QLabel *problem, const std::string &text) {
  problem->setText(Text(text));
  problem->setVisible(!text.empty());
  field->setProperty("problem", !text.empty());
  field->style()->unpolish(field);
  field->style()->polish(field);
}

std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    if (const std::string_view line =
            base::TrimBlanks(std::string_view(text).substr(start, end - start));
        !line.empty())
      lines.emplace_back(line);
    start = end + 1;
  }
  return lines;
}

} // namespace

std::string SpeedLimitProblem(const std::string &text) {
  const std::string_view rate = base::TrimBlanks(text);
  return rate.empty() || rate == "0" || base::ParseByteRate(rate)
             ? std::string()
             : "a rate such as 500k or 2M is needed (empty or 0: no limit)";
}

std::string QualityProblem(const std::string &text) {
  return engine::IsQuality(text) ? std::string()
                                 : std::string(engine::QualityForms()) + " is needed";
}

std::string ExtractorProblem(const std::string &text) {
  return engine::IsExtractor(text) ? std::string()
                                   : "a program on PATH, its path, or 'none' is needed";
}

std::string HeadersProblem(const std::string &lines) {
  for (const std::string &line : Lines(lines))
    if (!engine::IsHeader(line))
      return "each line is a header such as 'Accept-Language: en', not '" + line + "'";
  return {};
}

SettingsWindow::SettingsWindow(DesktopController &controller, QWidget *parent)
    : QDialog(parent), controller_(controller), pages_(new QListWidget(this)),
      stack_(new QStackedWidget(this)) {
  setWindowTitle(QStringLiteral("Vidtrawl Settings"));
  setAccessibleName(QStringLiteral("Vidtrawl Settings"));
  pages_->setObjectName(QStringLiteral("pages"));
  pages_->setAccessibleName(QStringLiteral("Pages"));
  pages_->setFixedWidth(140);
  auto *body = new QHBoxLayout;
  body->setSpacing(16);
  body->addWidget(pages_);
  body->addWidget(stack_, 1);
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("close"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(18, 18, 18, 14);
  layout->addLayout(body, 1);
  layout->addWidget(buttons);
  // The pages, in their order. A section of its own (a site extractor's, say) is one more page:
  // a line here and its builder below.
  DownloadsPage();
  NetworkPage();
  StreamsPage();
  ExtractorPage();
  ClipboardPage();
  connect(pages_, &QListWidget::currentRowChanged, stack_, &QStackedWidget::setCurrentIndex);
  pages_->setCurrentRow(0);
  resize(620, 480);
}

void SettingsWindow::Open() {
  Refresh();
  show();
  raise();
  activateWindow();
}

void SettingsWindow::changeEvent(QEvent *event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow())
    Refresh();
}

void SettingsWindow::Refresh() {
  for (const auto &refresh : refreshers_)
    refresh();
}

void SettingsWindow::Change(const std::function<void(Config &)> &change) {
  controller_.ChangeSettings(change);
}

QFormLayout *SettingsWindow::AddPage(const QString &title, const QString &about) {
  pages_->addItem(title);
  auto *page = new QWidget(stack_);
  page->setAccessibleName(title);
  auto *column = new QVBoxLayout(page);
  column->setContentsMargins(0, 0, 0, 0);
  auto *heading = new QLabel(title, page);
  heading->setObjectName(QStringLiteral("pageTitle"));
  auto *hint = new QLabel(about, page);
  hint->setObjectName(QStringLiteral("hint"));
  hint->setWordWrap(true);
  auto *form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  form->setVerticalSpacing(8);
  column->addWidget(heading);
  column->addWidget(hint);
  column->addSpacing(6);
  column->addLayout(form);
  column->addStretch(1);
  stack_->addWidget(page);
  return form;
}

void SettingsWindow::AddNumber(QFormLayout &form, const QString &label, engine::Bounds bounds,
                               int Config::*setting) {
  auto *field = new QSpinBox(this);
  field->setRange(bounds.least, bounds.most);
  field->setAccessibleName(QString(label).remove(u'&'));
  form.addRow(label, field);
  refreshers_.push_back([this, field, setting] {
    const QSignalBlocker quiet(field);
    field->setValue(controller_.Settings().*setting);
  });
  connect(field, &QSpinBox::valueChanged, this,
          [this, setting](int value) { Change([&](Config &config) { config.*setting = value; }); });
}

void SettingsWindow::AddCheck(QFormLayout &form, const QString &label, bool Config::*setting) {
  auto *field = new QCheckBox(label, this);
  form.addRow(field);
  refreshers_.push_back([this, field, setting] {
    const QSignalBlocker quiet(field);
    field->setChecked(controller_.Settings().*setting);
  });
  connect(field, &QCheckBox::toggled, this,
          [this, setting](bool on) { Change([&](Config &config) { config.*setting = on; }); });
}

QLabel *SettingsWindow::AddProblem(QFormLayout &form, QWidget *field) {
  auto *problem = new QLabel(this);
  problem->setObjectName(QStringLiteral("problem"));
  problem->setWordWrap(true);
  problem->hide();
  problem->setAccessibleName(field->accessibleName() + QStringLiteral(": problem"));
  form.addRow(QString(), problem);
  return problem;
}

QLineEdit *SettingsWindow::AddText(QFormLayout &form, const QString &label,
                                   std::function<std::string(const Config &)> show, Check check,
                                   std::function<void(Config &, const std::string &)> take,
                                   std::function<QString(QWidget *)> browse) {
  auto *field = new QLineEdit(this);
  field->setAccessibleName(QString(label).remove(u'&'));
  field->setClearButtonEnabled(true);
  auto *caption = new QLabel(label, this);
  caption->setBuddy(field);
  if (browse) {
    auto *row = new QHBoxLayout;
    row->addWidget(field, 1);
    auto *button = new QPushButton(QStringLiteral("Browse…"), this);
    button->setAccessibleName(field->accessibleName() + QStringLiteral(": browse"));
    row->addWidget(button);
    form.addRow(caption, row);
    connect(button, &QPushButton::clicked, this, [this, field, browse] {
      const QString chosen = browse(this);
      if (chosen.isEmpty())
        return;
      field->setText(chosen);
      emit field->editingFinished();
    });
  } else {
    form.addRow(caption, field);
  }
  QLabel *problem = AddProblem(form, field);
  refreshers_.push_back([this, field, problem, show] {
    field->setText(Text(show(controller_.Settings())));
    field->setCursorPosition(0); // a long path shows where it begins
    MarkProblem(field, problem, {});
  });
  connect(field, &QLineEdit::textEdited, this, [field, problem, check](const QString &text) {
    MarkProblem(field, problem, check ? check(text.toStdString()) : std::string());
  });
  connect(field, &QLineEdit::editingFinished, this, [this, field, problem, show, check, take] {
    const std::string text = field->text().toStdString();
    const std::string wrong = check ? check(text) : std::string();
    MarkProblem(field, problem, wrong);
    if (wrong.empty() && text != show(controller_.Settings()))
      Change([&](Config &config) { take(config, text); });
  });
  return field;
}

void SettingsWindow::DownloadsPage() {
  QFormLayout &form = *AddPage(QStringLiteral("Downloads"),
                               QStringLiteral("Where files go, how many download at once and how, "
                                              "and what starts by itself."));
  AddText(
      form, QStringLiteral("&Folder"), [](const Config &config) { return config.downloadDir; }, {},
      [](Config &config, const std::string &text) { config.downloadDir = text; },
      [](QWidget *owner) {
        return QFileDialog::getExistingDirectory(owner, QStringLiteral("Download folder"));
      });
  AddNumber(form, QStringLiteral("At &once"), Config::kJobs, &Config::simultaneousDownloads);
  AddNumber(form, QStringLiteral("&Connections per file"), Config::kConnections,
            &Config::connections);
  AddNumber(form, QStringLiteral("&Retries"), Config::kRetries, &Config::retries);
  AddCheck(form, QStringLiteral("Go on with unfinished downloads at &start"),
           &Config::resumeAtStart);
  AddCheck(form, QStringLiteral("Start &what is added (typed, pasted or dropped)"),
           &Config::startAdded);
  AddCheck(form, QStringLiteral("Only the t&welve known sites"), &Config::knownSitesOnly);
  auto *ask = new QCheckBox(QStringLiteral("As&k before removing several items"), this);
  form.addRow(ask);
  auto *partial = new QComboBox(this);
  partial->addItems({QStringLiteral("Ask each time"), QStringLiteral("Keep them"),
                     QStringLiteral("Delete them")});
  partial->setAccessibleName(QStringLiteral("Partial files of removed items"));
  form.addRow(QStringLiteral("&Partial files of removed items"), partial);
  refreshers_.push_back([this, ask, partial] {
    const QSignalBlocker quietAsk(ask), quietPartial(partial);
    ask->setChecked(controller_.AskBeforeRemoving());
    partial->setCurrentIndex(static_cast<int>(controller_.RemovedPartialFiles()));
  });
  connect(ask, &QCheckBox::toggled, this,
          [this](bool on) { controller_.SetAskBeforeRemoving(on); });
  connect(partial, &QComboBox::currentIndexChanged, this, [this](int index) {
    controller_.SetRemovedPartialFiles(static_cast<DesktopController::PartialFiles>(index));
  });
}

void SettingsWindow::NetworkPage() {
  QFormLayout &form = *AddPage(QStringLiteral("Network"),
                               QStringLiteral("How fast, through which proxy, and how requests "
                                              "present themselves."));
  QLineEdit *limit = AddText(
      form, QStringLiteral("Speed &limit"),
      [](const Config &config) {
        return config.speedLimit > 0 ? base::ByteRateText(config.speedLimit) : std::string();
      },
      SpeedLimitProblem,
      [](Config &config, const std::string &text) {
        config.speedLimit = base::ParseByteRate(base::TrimBlanks(text)).value_or(0);
      });
  limit->setPlaceholderText(QStringLiteral("no limit (500k, 2M: bytes a second in all)"));
  AddText(
      form, QStringLiteral("&Proxy"), [](const Config &config) { return config.proxy; }, {},
      [](Config &config, const std::string &text) { config.proxy = text; })
      ->setPlaceholderText(QStringLiteral("as the environment says (socks5h://host:1080)"));
  AddText(
      form, QStringLiteral("&User agent"), [](const Config &config) { return config.userAgent; },
      {}, [](Config &config, const std::string &text) { config.userAgent = text; })
      ->setPlaceholderText(QStringLiteral("each site's own"));
  AddText(
      form, QStringLiteral("&Referer"), [](const Config &config) { return config.referer; }, {},
      [](Config &config, const std::string &text) { config.referer = text; });
  auto *headers = new QPlainTextEdit(this);
  headers->setAccessibleName(QStringLiteral("Headers"));
  headers->setPlaceholderText(QStringLiteral("one 'Name: value' a line"));
  headers->setFixedHeight(headers->fontMetrics().lineSpacing() * 4 + 14);
  form.addRow(QStringLiteral("&Headers"), headers);
  QLabel *problem = AddProblem(form, headers);
  refreshers_.push_back([this, headers, problem] {
    std::string lines;
    for (const std::string &header : controller_.Settings().headers)
      lines += (lines.empty() ? "" : "\n") + header;
    const QSignalBlocker quiet(headers);
    headers->setPlainText(Text(lines));
    MarkProblem(headers, problem, {});
  });
  connect(headers, &QPlainTextEdit::textChanged, this, [this, headers, problem] {
    const std::string text = headers->toPlainText().toStdString();
    const std::string wrong = HeadersProblem(text);
    MarkProblem(headers, problem, wrong);
    if (wrong.empty() && Lines(text) != controller_.Settings().headers)
      Change([&](Config &config) { config.headers = Lines(text); });
  });
  AddText(
      form, QStringLiteral("&Cookies file"), [](const Config &config) { return config.cookies; },
      {}, [](Config &config, const std::string &text) { config.cookies = text; },
      [](QWidget *owner) {
        return QFileDialog::getOpenFileName(owner, QStringLiteral("Cookies file (Netscape's "
                                                                  "cookies.txt)"));
      });
}

void SettingsWindow::StreamsPage() {
  QFormLayout &form = *AddPage(QStringLiteral("Streams"),
                               QStringLiteral("HLS and DASH streams: which quality, and how many "
                                              "of their fragments at once."));
  auto *quality = new QComboBox(this);
  quality->setEditable(true);
  quality->setInsertPolicy(QComboBox::NoInsert);
  quality->setAccessibleName(QStringLiteral("Quality"));
  quality->addItems({QStringLiteral("best"), QStringLiteral("2160"), QStringLiteral("1440"),
                     QStringLiteral("1080"), QStringLiteral("720"), QStringLiteral("480"),
                     QStringLiteral("360"), QStringLiteral("worst")});
  form.addRow(QStringLiteral("&Quality"), quality);
  QLabel *problem = AddProblem(form, quality);
  refreshers_.push_back([this, quality, problem] {
    const QSignalBlocker quiet(quality);
    quality->setCurrentText(Text(controller_.Settings().preferredQuality));
    MarkProblem(quality, problem, {});
  });
  const auto take = [this, quality, problem] {
    const std::string text = quality->currentText().toStdString();
    const std::string wrong = QualityProblem(text);
    MarkProblem(quality, problem, wrong);
    if (wrong.empty() && text != controller_.Settings().preferredQuality)
      Change([&](Config &config) { config.preferredQuality = text; });
  };
  connect(quality->lineEdit(), &QLineEdit::editingFinished, this, take);
  connect(quality, &QComboBox::activated, this, take);
  AddNumber(form, QStringLiteral("&Fragments at once"), Config::kFragments, &Config::fragments);
}

void SettingsWindow::ExtractorPage() {
  QFormLayout &form = *AddPage(
      QStringLiteral("Extractor"),
      QStringLiteral("Video hosts' pages, and pages the program's own rules find no video on, are "
                     "asked of a site extractor (yt-dlp): the About page tells its version."));
  AddText(
      form, QStringLiteral("&Program"), [](const Config &config) { return config.extractor; },
      ExtractorProblem,
      [](Config &config, const std::string &text) { config.extractor = base::TrimBlanks(text); },
      [](QWidget *owner) {
        return QFileDialog::getOpenFileName(owner, QStringLiteral("Site extractor program"));
      })
      ->setPlaceholderText(QStringLiteral("yt-dlp (on PATH), a program's path, or none"));
  AddNumber(form, QStringLiteral("&Time limit (seconds)"), Config::kExtractorSeconds,
            &Config::extractorSeconds);
}

void SettingsWindow::ClipboardPage() {
  QFormLayout &form = *AddPage(QStringLiteral("Clipboard"),
                               QStringLiteral("A video page's address copied anywhere is added "
                                              "and downloaded by itself."));
  AddCheck(form, QStringLiteral("&Monitor the clipboard for video page addresses"),
           &Config::monitor);
}

} // namespace vidtrawl::gui
