#include "dialogs/CCustomComboBox.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QPainter>
#include <QScrollBar>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QWheelEvent>

namespace kt90 {
namespace {

// Entries of the drop-down list: not-selectable ones grey with black text, also when
// highlighted, so they never look like a choice.
class EntryDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    if (!index.data(CCustomComboBox::kNotSelectableRole).toBool()) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    painter->save();
    painter->fillRect(option.rect, CCustomComboBox::kNotSelectableColour);
    painter->setPen(Qt::black);
    painter->drawText(option.rect.adjusted(3, 0, -3, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
  }
};

}  // namespace

const QColor CCustomComboBox::kClosedFieldColour(0xF5, 0xF5, 0xF5);
const QColor CCustomComboBox::kNotSelectableColour(0xC0, 0xC0, 0xC0);

CCustomComboBox::CCustomComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  setFocusPolicy(Qt::StrongFocus);  // the wheel never gives it the focus
  setItemDelegate(new EntryDelegate(this));
  connect(this, &QComboBox::currentIndexChanged, this, [this](int index) { onIndexChanged(index); });
}

void CCustomComboBox::setEntries(const std::vector<std::string>& names, const std::vector<bool>& selectable,
                                 int selected) {
  const QSignalBlocker blocker(this);
  clear();
  for (std::size_t i = 0; i < names.size(); ++i) {
    addItem(QString::fromStdString(names[i]));
    const bool notSelectable = i < selectable.size() && !selectable[i];
    setItemData(static_cast<int>(i), notSelectable, kNotSelectableRole);
  }
  setCurrentIndex(selected);
  remembered_ = currentIndex();
}

bool CCustomComboBox::isSelectable(int index) const {
  return index < 0 || index >= count() || !itemData(index, kNotSelectableRole).toBool();
}

void CCustomComboBox::showPopup() {
  remembered_ = currentIndex();
  QComboBox::showPopup();
}

void CCustomComboBox::onIndexChanged(int index) {
  if (isSelectable(index)) {
    remembered_ = index;
    return;
  }
  setCurrentIndex(remembered_);
}

void CCustomComboBox::wheelEvent(QWheelEvent* event) {
  for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) {
      QCoreApplication::sendEvent(area->verticalScrollBar(), event);
      return;
    }
  }
  event->ignore();
}

void CCustomComboBox::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionComboBox option;
  initStyleOption(&option);
  option.currentText.clear();
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
  painter.fillRect(field, isSelectable(currentIndex()) ? kClosedFieldColour : kNotSelectableColour);
  painter.setPen(Qt::black);
  painter.drawText(field.adjusted(2, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, currentText());
}

}  // namespace kt90
