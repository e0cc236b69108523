#pragma once
#include <QComboBox>
#include <string>
#include <vector>

namespace kt90 {

// The OPTION editor's selector: a drop-down list whose not-selectable entries are drawn
// grey and, when picked, give way to the selection held before. Its closed field shows
// the text in black on a light grey. The wheel over a closed selector scrolls the grid
// it sits in: a value changes only in a list the user opened.
class CCustomComboBox : public QComboBox {
 public:
  static constexpr int kNotSelectableRole = Qt::UserRole + 1;
  static const QColor kClosedFieldColour;    // 0xF5F5F5
  static const QColor kNotSelectableColour;  // 0xC0C0C0

  explicit CCustomComboBox(QWidget* parent = nullptr);

  // Entries in order, each with whether it may be chosen; `selected` (or none) is current.
  void setEntries(const std::vector<std::string>& names, const std::vector<bool>& selectable, int selected);
  bool isSelectable(int index) const;

 protected:
  void showPopup() override;
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void onIndexChanged(int index);

  int remembered_ = -1;
};

}  // namespace kt90
