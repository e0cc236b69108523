#include "dialogs/COptionDlg.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace kt90 {
namespace {

constexpr int kItemColumnWidth = 220;
constexpr int kValueColumnWidth = 300;

}  // namespace

COptionDlg::COptionDlg(OptionEditorModel& model, LanguageId language, QWidget* parent)
    : QDialog(parent), model_(model), language_(language), list_(new QTableWidget(this)) {
  setWindowTitle(qtText(TextId::OptionTitle, language));

  list_->setFont(optionListFont());
  list_->setColumnCount(2);
  list_->setHorizontalHeaderLabels(
      {qtText(TextId::OptionColumnItem, language), qtText(TextId::OptionColumnValue, language)});
  list_->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
  list_->setColumnWidth(0, kItemColumnWidth);
  list_->setColumnWidth(1, kValueColumnWidth);
  list_->verticalHeader()->hide();
  list_->setShowGrid(true);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setSortingEnabled(false);

  const auto& rows = model_.rows();
  list_->setRowCount(static_cast<int>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const int row = static_cast<int>(r);
    auto* label = new QTableWidgetItem(qtString(rows[r].label));
    label->setTextAlignment(Qt::AlignCenter);
    list_->setItem(row, 0, label);
    auto* selector = new CCustomComboBox();
    selector->setEntries(rows[r].entries, rows[r].selectable,
                         rows[r].selected ? static_cast<int>(*rows[r].selected) : -1);
    list_->setCellWidget(row, 1, selector);
    list_->setRowHeight(row, std::max(list_->rowHeight(row), selector->sizeHint().height()));
    selectors_.push_back(selector);
  }

  auto* buttons = okCancelButtons(this, language);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(buttons);
  // Every row in sight when the screen has room (the last one never cut); else the grid
  // scrolls by pixels down to the last row's bottom.
  list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  const int gridHeight =
      list_->horizontalHeader()->sizeHint().height() + list_->verticalHeader()->length() + 2 * list_->frameWidth();
  const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
  const int roomHeight = screen ? screen->availableGeometry().height() * 8 / 10 : 420;
  resize(kItemColumnWidth + kValueColumnWidth + 40,
         std::min(gridHeight + buttons->sizeHint().height() + 3 * layout->spacing() + 24, roomHeight));
}

void COptionDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (warned_ || !model_.packageWarning()) return;
  warned_ = true;
  // After the dialog has appeared, so the warning has it as its owner.
  QTimer::singleShot(0, this, [this] {
    alert_(this, qtText(TextId::OptionPackageWarningCaption, language_),
           qtText(TextId::OptionPackageWarning, language_));
  });
}

void COptionDlg::accept() {
  for (std::size_t r = 0; r < selectors_.size(); ++r) {
    const int index = selectors_[r]->currentIndex();
    if (index >= 0) model_.choose(r, static_cast<std::size_t>(index));
  }
  QDialog::accept();
}

}  // namespace kt90
