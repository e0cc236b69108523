#include "gui/JournalView.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/base/AtomicWrite.h"
#include "core/base/FileIo.h"
#include "core/journal/JournalCsv.h"
#include "core/journal/JournalFile.h"
#include "gui/GuiText.h"

namespace kt90::gui {

namespace {

QString hex4(const std::optional<std::int64_t>& value) {
  return value ? QStringLiteral("%1").arg(static_cast<qulonglong>(*value), 4, 16, QChar('0')).toUpper() : QString();
}

QStringList cells(const JournalRecord& r) {
  return {qstr(r.time),          qstr(r.operation),
          qstr(r.port),          qstr(resultName(r.passed)),
          qstr(r.programmerUid), qstr(r.firmwareVersion),
          qstr(r.model),         hex4(r.fileChecksum),
          qstr(r.rollingCode),   QString::number(r.durationMs)};
}

QDateEdit* dateEdit(QDate date) {
  auto* edit = new QDateEdit(date);
  edit->setCalendarPopup(true);
  edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  edit->setTimeSpec(Qt::UTC);
  return edit;
}

}  // namespace

JournalView::JournalView(std::string path, LanguageId language, QWidget* parent)
    : QDialog(parent), path_(std::move(path)), language_(language) {
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
  status_ = new QLabel;

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(filters);
  layout->addWidget(table_);
  layout->addWidget(status_);
  resize(1100, 520);

  connect(refreshButton, &QPushButton::clicked, this, &JournalView::refresh);
  connect(exportButton, &QPushButton::clicked, this, &JournalView::exportCsv);
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
  std::vector<JournalRecord> records;
  const std::string error = readJournal(path_, filter(kShownRecords), records, true);
  table_->setRowCount(static_cast<int>(records.size()));
  for (int row = 0; row < static_cast<int>(records.size()); ++row) {
    const JournalRecord& record = records[static_cast<std::size_t>(row)];
    const QStringList texts = cells(record);
    for (int column = 0; column < texts.size(); ++column) {
      auto* item = new QTableWidgetItem(texts[column]);
      if (!record.passed) item->setForeground(Qt::red);
      item->setToolTip(qstr(record.file));
      table_->setItem(row, column, item);
    }
  }
  table_->resizeColumnsToContents();
  if (port_->currentText().isEmpty()) fillPorts(records);
  status_->setText(error.empty() ? qstr(formatText(text(TextId::JournalShown, language_),
                                                   static_cast<unsigned>(records.size()), path_.c_str()))
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

void JournalView::exportCsv() {
  const QString file = QFileDialog::getSaveFileName(this, qtext(TextId::JournalExportCsv, language_), QString(),
                                                    qtext(TextId::JournalExportFilter, language_));
  if (file.isEmpty()) return;
  std::vector<JournalRecord> records;
  std::string error = readJournal(path_, filter(0), records);
  const std::string csv = journalCsv(records);
  const ByteView bytes(reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size());
  if (error.empty() && !writeFileAtomically(pathFromUtf8(stdstr(file)), bytes).ok()) {
    error = formatText(text(TextId::JournalExportFailed, language_), stdstr(file).c_str());
  }
  if (!error.empty()) QMessageBox::warning(this, windowTitle(), qstr(error));
}

}  // namespace kt90::gui
