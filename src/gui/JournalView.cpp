#include "gui/JournalView.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/base/AtomicWrite.h"
#include "core/base/FileIo.h"
#include "core/journal/JournalCsv.h"
#include "gui/GuiText.h"

namespace kt90::gui {

namespace {

QString hex4(const std::optional<std::int64_t>& value) {
  if (!value) return {};
  return QStringLiteral("0x") + QStringLiteral("%1").arg(static_cast<qulonglong>(*value), 4, 16, QChar('0')).toUpper();
}

QString serial(const std::optional<std::uint64_t>& value) {
  return value ? QString::number(static_cast<qulonglong>(*value)) : QString();
}

// Why a failed operation failed: the last line its log gave.
QString failureReason(const JournalRecord& r) {
  if (r.passed) return {};
  for (auto line = r.log.rbegin(); line != r.log.rend(); ++line) {
    const QString text = qstr(*line).trimmed();
    if (!text.isEmpty()) return text;
  }
  return {};
}

QStringList cells(const JournalRecord& r) {
  return {QString::number(r.id),     qstr(r.time),          qstr(r.operation),     qstr(r.port),
          qstr(resultName(r.passed)), qstr(r.model),        hex4(r.fileChecksum),  qstr(r.rollingCode),
          serial(r.serialFirst),     serial(r.serialLast),  failureReason(r),      qstr(r.programmerUid),
          qstr(r.firmwareVersion),   qstr(r.file),          QString::number(r.durationMs)};
}

QDateEdit* dateEdit(QDate date) {
  auto* edit = new QDateEdit(date);
  edit->setCalendarPopup(true);
  edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  edit->setTimeSpec(Qt::UTC);
  return edit;
}

}  // namespace

JournalView::JournalView(const std::string& location, LanguageId language, QWidget* parent)
    : QDialog(parent), location_(location), language_(language) {
  JournalOpen open = openJournalStore(location, JournalAccess::Read);
  journal_ = std::move(open.store);
  openError_ = open.error;
  // Said as the store says it: a server's URI without its password.
  if (journal_) location_ = journal_->describe();
  setWindowTitle(qtext(TextId::JournalViewTitle, language));
  setObjectName(QStringLiteral("journalView"));
  result_ = new QComboBox;
  result_->addItems({qtext(TextId::JournalFilterAll, language), qtext(TextId::JournalFilterPassed, language),
                     qtext(TextId::JournalFilterFailed, language)});
  port_ = new QComboBox;
  port_->setEditable(true);
  port_->setMinimumContentsLength(14);
  const QDate today = QDateTime::currentDateTimeUtc().date();
  since_ = dateEdit(today.addDays(-30));
  until_ = dateEdit(today);
  auto* refreshButton = new QPushButton(qtext(TextId::JournalRefresh, language));
  auto* exportButton = new QPushButton(qtext(TextId::JournalExportCsv, language));

  auto* filters = new QHBoxLayout;
  for (auto [label, field] : {std::pair<TextId, QWidget*>{TextId::JournalFilterResult, result_},
                              {TextId::JournalFilterPort, port_},
                              {TextId::JournalFilterSince, since_},
                              {TextId::JournalFilterUntil, until_}}) {
    filters->addWidget(new QLabel(qtext(label, language)));
    filters->addWidget(field);
  }
  filters->addStretch();
  filters->addWidget(refreshButton);
  filters->addWidget(exportButton);

  const QStringList columns = qtext(TextId::JournalColumns, language).split('|');
  table_ = new QTableWidget(0, static_cast<int>(columns.size()));
  table_->setHorizontalHeaderLabels(columns);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setToolTip(qtext(TextId::JournalDoubleClickHint, language));
  status_ = new QLabel;
  status_->setObjectName(QStringLiteral("journalStatus"));
  status_->setWordWrap(true);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(filters);
  layout->addWidget(table_);
  layout->addWidget(status_);
  resize(1280, 560);

  connect(refreshButton, &QPushButton::clicked, this, &JournalView::refresh);
  connect(exportButton, &QPushButton::clicked, this, &JournalView::exportCsv);
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { showRecord(row); });
  connect(result_, &QComboBox::currentIndexChanged, this, &JournalView::refresh);
  connect(port_, &QComboBox::currentTextChanged, this, &JournalView::refresh);
  connect(since_, &QDateEdit::dateChanged, this, &JournalView::refresh);
  connect(until_, &QDateEdit::dateChanged, this, &JournalView::refresh);
  refresh();
}

JournalFilter JournalView::filter(std::size_t limit) const {
  JournalFilter filter;
  filter.since = stdstr(since_->date().toString(Qt::ISODate)) + "T00:00:00.000Z";
  filter.until = stdstr(until_->date().addDays(1).toString(Qt::ISODate)) + "T00:00:00.000Z";
  filter.port = stdstr(port_->currentText().trimmed());
  if (result_->currentIndex() > 0) filter.passed = result_->currentIndex() == 1;
  filter.limit = limit;
  return filter;
}

void JournalView::refresh() {
  std::vector<JournalRecord>& records = shown_;
  records.clear();
  const std::string error = journal_ ? journal_->query(filter(kShownRecords), records, true) : openError_;
  table_->setRowCount(static_cast<int>(records.size()));
  for (int row = 0; row < static_cast<int>(records.size()); ++row) {
    const JournalRecord& record = records[static_cast<std::size_t>(row)];
    const QStringList texts = cells(record);
    for (int column = 0; column < texts.size(); ++column) {
      auto* item = new QTableWidgetItem(texts[column]);
      if (!record.passed) item->setForeground(Qt::red);
      table_->setItem(row, column, item);
    }
  }
  table_->resizeColumnsToContents();
  if (port_->currentText().isEmpty()) fillPorts(records);
  status_->setText(error.empty() ? qstr(formatText(text(TextId::JournalShown, language_),
                                                   static_cast<unsigned>(records.size()), location_.c_str()))
                                 : qstr(error));
}

// The ports seen in the unfiltered view, offered in the port filter.
void JournalView::fillPorts(const std::vector<JournalRecord>& records) {
  const QSignalBlocker block(port_);
  QStringList ports{QString()};
  for (const JournalRecord& record : records) {
    if (!ports.contains(qstr(record.port))) ports << qstr(record.port);
  }
  port_->clear();
  port_->addItems(ports);
}

QString JournalView::exportTo(QString file) {
  if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".csv");
  std::vector<JournalRecord> records;
  std::string error = journal_ ? journal_->query(filter(0), records) : openError_;
  const std::string csv = journalCsv(records);
  const ByteView bytes(reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size());
  if (error.empty() && !writeFileAtomically(pathFromUtf8(stdstr(file)), bytes).ok()) {
    error = formatText(text(TextId::JournalExportFailed, language_), stdstr(file).c_str());
  }
  if (!error.empty()) {
    status_->setText(qstr(error));
    return {};
  }
  const QString saved = QFileInfo(file).absoluteFilePath();
  status_->setText(qstr(formatText(text(TextId::JournalExported, language_), static_cast<unsigned>(records.size()),
                                   stdstr(saved).c_str())));
  return saved;
}

void JournalView::exportCsv() {
  const QString file = QFileDialog::getSaveFileName(this, qtext(TextId::JournalExportCsv, language_), QString(),
                                                    qtext(TextId::JournalExportFilter, language_));
  if (file.isEmpty()) return;
  const QString saved = exportTo(file);
  if (saved.isEmpty()) {
    QMessageBox::warning(this, windowTitle(), status_->text());
  } else {
    QMessageBox::information(this, windowTitle(), status_->text());
  }
}

QString JournalView::recordText(int row) const {
  if (row < 0 || row >= static_cast<int>(shown_.size())) return {};
  const JournalRecord& r = shown_[static_cast<std::size_t>(row)];
  const QStringList names = qtext(TextId::JournalColumns, language_).split('|');
  const QStringList values = cells(r);
  QString out;
  for (int i = 0; i < names.size() && i < values.size(); ++i) {
    if (!values[i].isEmpty()) out += names[i] + QStringLiteral(": ") + values[i] + QLatin1Char('\n');
  }
  out += QLatin1Char('\n');
  for (const std::string& line : r.log) out += qstr(line) + QLatin1Char('\n');
  return out;
}

void JournalView::showRecord(int row) {
  const QString textShown = recordText(row);
  if (textShown.isEmpty()) return;
  QDialog dialog(this);
  dialog.setObjectName(QStringLiteral("journalRecord"));
  dialog.setWindowTitle(qtext(TextId::JournalRecordTitle, language_).arg(shown_[static_cast<std::size_t>(row)].id));
  auto* view = new QPlainTextEdit(textShown);
  view->setReadOnly(true);
  view->setLineWrapMode(QPlainTextEdit::NoWrap);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(view);
  layout->addWidget(buttons);
  dialog.resize(760, 480);
  dialog.exec();
}

}  // namespace kt90::gui
