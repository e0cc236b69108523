#include "dialogs/CKtIdDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kt90 {
namespace {

constexpr int kColumnWidth = 400;

}  // namespace

CKtIdDlg::CKtIdDlg(UidBindingEditor& editor, std::string programDir, LanguageId language, QWidget* parent)
    : QDialog(parent),
      editor_(editor),
      programDir_(std::move(programDir)),
      list_(new QTableWidget(this)),
      load_(new QPushButton(qtText(TextId::UidDialogLoad, language), this)),
      save_(new QPushButton(qtText(TextId::UidDialogSave, language), this)),
      clear_(new QPushButton(qtText(TextId::UidDialogClear, language), this)) {
  setWindowTitle(qtText(TextId::UidDialogTitle, language));
  list_->setFont(entryFont());
  list_->setColumnCount(1);
  list_->setHorizontalHeaderLabels({qtText(TextId::UidDialogColumn, language)});
  list_->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
  list_->setColumnWidth(0, kColumnWidth);
  list_->setShowGrid(true);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
  showRows();

  connect(load_, &QPushButton::clicked, this, [this] {
    if (editor_.load(programDir_)) showRows();
  });
  connect(save_, &QPushButton::clicked, this, [this] {
    takeRows();
    AlertReporter alerts = reporter();
    editor_.save(programDir_, alerts);
  });
  connect(clear_, &QPushButton::clicked, this, [this] {
    editor_.clear();
    showRows();
  });

  auto* buttons = okCancelButtons(this, language);

  auto* side = new QVBoxLayout();
  side->addWidget(load_);
  side->addWidget(save_);
  side->addWidget(clear_);
  side->addStretch();
  side->addWidget(buttons);
  buttons->setOrientation(Qt::Vertical);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(list_);
  layout->addLayout(side);
  resize(kColumnWidth + 220, 480);
}

AlertReporter CKtIdDlg::reporter() { return AlertReporter(this, windowTitle(), alert_); }

void CKtIdDlg::showRows() {
  const auto& rows = editor_.rows();
  list_->clearContents();
  list_->setRowCount(static_cast<int>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    auto* item = new QTableWidgetItem(qtString(rows[r]));
    item->setTextAlignment(Qt::AlignCenter);
    list_->setItem(static_cast<int>(r), 0, item);
  }
}

void CKtIdDlg::takeRows() {
  std::vector<std::string> rows;
  for (int r = 0; r < list_->rowCount(); ++r) {
    const QTableWidgetItem* item = list_->item(r, 0);
    rows.push_back(item ? item->text().toStdString() : std::string());
  }
  editor_.setRows(std::move(rows));
}

void CKtIdDlg::accept() {
  takeRows();
  std::vector<ProgrammerUid> uids;
  AlertReporter alerts = reporter();
  if (!editor_.accept(uids, alerts)) return;
  result_ = std::move(uids);
  QDialog::accept();
}

}  // namespace kt90
