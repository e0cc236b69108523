// The controls of the main window and their place: the chip group, the file and editor
// buttons with the three check boxes, the operation buttons, the file path and the
// progress bar across the window, then the summary beside the log and code views. The
// path, the progress bar and the views follow the window's width; the views and the
// summary its height; the summary keeps its width.
#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include "gui/CKT90EXEDlg.h"
#include "gui/GuiText.h"
#include "gui/MainMenu.h"
#include "gui/Mnemonics.h"
#include "gui/widgets/CColorStatic.h"
#include "gui/widgets/CQdComboBox.h"
#include "gui/widgets/LogCodeViews.h"

namespace kt90::gui {
namespace {

QFont fixedFont(int points) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setFamilies({QStringLiteral("Consolas"), font.family()});
  font.setPointSize(points);
  return font;
}

QPushButton* button(QWidget* parent, const char* name, const char* icon = nullptr) {
  auto* b = new QPushButton(parent);
  b->setObjectName(name);
  b->setAutoDefault(false);
  if (icon) {
    b->setIcon(QIcon(QString(":/kt90/") + icon));
    b->setIconSize(QSize(24, 24));
    b->setLayoutDirection(Qt::RightToLeft);  // the icon right of the text
    b->setCursor(Qt::PointingHandCursor);
    b->setMinimumHeight(36);
  }
  return b;
}

}  // namespace

void CKT90EXEDlg::buildControls() {
  auto* central = new QWidget(this);
  setCentralWidget(central);

  chipGroup_ = new QGroupBox(central);
  chipList_ = new CQdComboBox(chipGroup_);
  chipList_->setObjectName("chipList");
  chipList_->setMinimumWidth(180);
  statusLabel_ = new CColorStatic(chipGroup_);
  statusLabel_->setObjectName("statusLabel");
  statusLabel_->setFont(fixedFont(21));
  statusLabel_->setMinimumHeight(48);
  auto* chipLayout = new QVBoxLayout(chipGroup_);
  chipLayout->addWidget(chipList_);
  chipLayout->addWidget(statusLabel_);

  QPushButton* open = button(central, "open", "open.png");
  QPushButton* save = button(central, "save", "save.png");
  QPushButton* option = button(central, "option");
  QPushButton* snId = button(central, "snId");
  QPushButton* calibrate = button(central, "calibrate");
  blank_ = new QCheckBox(central);
  blank_->setObjectName("blank");
  program_ = new QCheckBox(central);
  program_->setObjectName("program");
  verify_ = new QCheckBox(central);
  verify_->setObjectName("verify");
  QPushButton* download = button(central, "download", "download.png");
  QPushButton* upload = button(central, "upload", "upload.png");
  QPushButton* read = button(central, "read");
  QPushButton* hwTest = button(central, "hwTest");

  const std::pair<Control, QWidget*> controls[] = {
      {Control::Open, open},         {Control::Save, save},        {Control::ChipList, chipList_},
      {Control::Option, option},     {Control::SnId, snId},        {Control::Calibrate, calibrate},
      {Control::Blank, blank_},      {Control::Program, program_}, {Control::Verify, verify_},
      {Control::Download, download}, {Control::Upload, upload},    {Control::Read, read},
      {Control::HwTest, hwTest}};
  for (const auto& [id, widget] : controls) controls_[static_cast<std::size_t>(id)] = widget;

  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(open, 1);
  fileRow->addWidget(save, 1);
  auto* editRow = new QHBoxLayout;
  editRow->addWidget(option);
  editRow->addWidget(snId);
  editRow->addWidget(calibrate);
  auto* flagRow = new QHBoxLayout;
  flagRow->addWidget(blank_);
  flagRow->addWidget(program_);
  flagRow->addWidget(verify_);
  flagRow->addStretch(1);
  auto* right = new QVBoxLayout;
  right->addLayout(fileRow);
  right->addLayout(editRow);
  right->addLayout(flagRow);
  auto* top = new QHBoxLayout;
  top->addWidget(chipGroup_, 0);
  top->addLayout(right, 1);

  auto* operations = new QHBoxLayout;
  for (QPushButton* b : {download, upload}) operations->addWidget(b, 2);
  for (QPushButton* b : {read, hwTest}) operations->addWidget(b, 1);

  statusText_ = new QLineEdit(central);
  statusText_->setObjectName("statusText");
  statusText_->setReadOnly(true);
  statusText_->setFont(fixedFont(11));
  progressBar_ = new QProgressBar(central);
  progressBar_->setObjectName("progressBar");
  progressBar_->setRange(0, 100);
  progressBar_->setValue(0);
  cancelButton_ = button(central, "cancelDownload");
  cancelButton_->setEnabled(false);
  auto* progressRow = new QHBoxLayout;
  progressRow->addWidget(progressBar_, 1);
  progressRow->addWidget(cancelButton_, 0);

  summaryView_ = new QPlainTextEdit(central);
  summaryView_->setObjectName("summaryView");
  summaryView_->setReadOnly(true);
  summaryView_->setFont(fixedFont(11));
  summaryView_->setFixedWidth(260);
  summaryView_->setTabStopDistance(4 * summaryView_->fontMetrics().horizontalAdvance(' '));
  views_ = new LogCodeViews(central);
  views_->logView()->setFont(fixedFont(11));
  views_->codeView()->setFont(fixedFont(11));
  views_->codeView()->setTabStopDistance(4 * views_->codeView()->fontMetrics().horizontalAdvance(' '));
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(summaryView_, 0);
  bottom->addWidget(views_, 1);

  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addLayout(top);
  layout->addLayout(operations);
  layout->addWidget(statusText_);
  layout->addLayout(progressRow);
  layout->addLayout(bottom, 1);

  resize(760, 620);
}

void CKT90EXEDlg::fitIntoScreen() {
  const QScreen* shownOn = screen();
  if (!shownOn) return;
  // Room for the window manager's frame and title, which Qt does not know before showing.
  const QRect area = shownOn->availableGeometry().adjusted(0, 0, -16, -48);
  const QSize size = QSize(760, 620).boundedTo(area.size()).expandedTo(minimumSizeHint());
  resize(size);
  move(area.topLeft() +
       QPoint(std::max(0, (area.width() - size.width()) / 2), std::max(0, (area.height() - size.height()) / 2)));
}

void CKT90EXEDlg::applyTexts() {
  chipGroup_->setTitle(qtext(TextId::GroupChip, language_));
  // In English every control gets a mnemonic the menu titles left free, the operations first.
  Mnemonics keys = menu_->barKeys();
  const auto shown = [&](TextId id) {
    const QString text = qtext(id, language_);
    return language_ == kEnglish ? keys.mark(text) : text;
  };
  const std::pair<Control, TextId> texts[] = {
      {Control::Download, TextId::ButtonDownload},   {Control::Upload, TextId::ButtonUpload},
      {Control::Read, TextId::ButtonRead},           {Control::HwTest, TextId::ButtonHwTest},
      {Control::Open, TextId::ButtonOpen},           {Control::Save, TextId::ButtonSave},
      {Control::Option, TextId::ButtonOption},       {Control::SnId, TextId::ButtonSnId},
      {Control::Calibrate, TextId::ButtonCalibrate}, {Control::Blank, TextId::CheckBlank},
      {Control::Program, TextId::CheckProgram},      {Control::Verify, TextId::CheckVerify}};
  for (const auto& [id, textId] : texts) static_cast<QAbstractButton*>(control(id))->setText(shown(textId));
  cancelButton_->setText(qtext(TextId::ButtonCancelDownload, language_));
  views_->showLogButton()->setText(shown(TextId::RadioShowLog));
  views_->showCodeButton()->setText(shown(TextId::RadioShowCode));
}

}  // namespace kt90::gui
