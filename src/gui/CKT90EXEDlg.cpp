#include "gui/CKT90EXEDlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QUrl>

#include "core/app/DocumentTitle.h"
#include "core/app/Settings.h"
#include "core/progfile/FileHead.h"
#include "gui/GuiText.h"
#include "gui/MainMenu.h"
#include "gui/UpdateChecker.h"
#include "gui/platform/SystemMenu.h"
#include "gui/widgets/CColorStatic.h"
#include "gui/widgets/CQdComboBox.h"
#include "gui/widgets/LogCodeViews.h"

namespace kt90::gui {

CKT90EXEDlg::CKT90EXEDlg(Session& session, Dialogs& dialogs, PortMenu::PortLister ports, QWidget* parent)
    : QMainWindow(parent),
      session_(session),
      dialogs_(dialogs),
      portLister_(std::move(ports)),
      recentFiles_(session.profile()) {
  setObjectName("CKT90EXEDlg");
  setWindowIcon(QIcon(":/kt90/app.png"));
  buildControls();
  session_.host().attach(this);

  connect(chipList_, &QComboBox::activated, this, &CKT90EXEDlg::chipSelected);
  for (Control c : {Control::Open, Control::Save, Control::Option, Control::SnId, Control::Calibrate, Control::Download,
                    Control::Upload, Control::Read, Control::HwTest}) {
    connect(static_cast<QAbstractButton*>(control(c)), &QAbstractButton::clicked, this, [this, c] { command(c); });
  }
  for (Control c : {Control::Blank, Control::Program, Control::Verify}) {
    connect(static_cast<QAbstractButton*>(control(c)), &QAbstractButton::clicked, this, [this, c] { command(c); });
  }
  // Ctrl+O and Ctrl+S act as the buttons do, and only when they could be clicked.
  for (const auto& [keys, c] :
       {std::pair{QKeySequence::Open, Control::Open}, std::pair{QKeySequence::Save, Control::Save}}) {
    connect(new QShortcut(QKeySequence(keys), this), &QShortcut::activated, this, [this, c = c] {
      if (control(c)->isEnabled() && control(c)->isVisible()) command(c);
    });
  }
  connect(&session_.runner(), &OperationRunner::idle, this, [this] {
    if (closePending_) close();
  });
  connect(cancelButton_, &QPushButton::clicked, this, [this] { session_.guard().requestCancel(); });
}

CKT90EXEDlg::~CKT90EXEDlg() {
  // From here on the workers' calls find no window.
  session_.host().detach();
  if (updateChecker_) updateChecker_->stop();
}

void CKT90EXEDlg::start() {
  WorkingState& state = session_.state();
  state.start();
  session_.makeShell();
  language_ = state.language();

  menu_ = new MainMenu(
      menuBar(), language_, [this] { return menuContext(); }, [this](MenuCommand c) { menuCommand(c); }, this);
  connect(menu_->recentMenu(), &QMenu::aboutToShow, this, &CKT90EXEDlg::fillRecentMenu);
  applyTexts();  // after the menu titles, which keep their mnemonics
  addSystemMenuAbout(this, qtext(TextId::SystemMenuAbout, language_), [this] { menuCommand(MenuCommand::About); });

  syncFromState();

  portMenu_ = new PortMenu(
      menu_->portMenu(), session_.shell(), language_, portLister_,
      [this] { return dialogs_.portPath(this, language_).value_or(QString()); }, this);
  applyPortOverride();
  portMenu_->rebuild();
  portMenu_->startPolling(1000);

  if (!session_.shell().updateCheckOff()) {
    updateChecker_ = std::make_unique<UpdateChecker>(state.programDir(), session_.profile(), session_.host(),
                                                     [this](const std::string& url) { dialogs_.openUrl(qstr(url)); });
    updateChecker_->start();
  }
  fitIntoScreen();
  if (!session_.journalError().empty()) showJournalProblem(session_.journalError());
  if (session_.options().file) openProgramFileAt(qstr(*session_.options().file));
}

void CKT90EXEDlg::applyPortOverride() {
  const GuiOptions& options = session_.options();
  if (options.port) {
    portMenu_->setOverride(PortMenu::Override{false, *options.port});
  } else if (options.emulator) {
    portMenu_->setOverride(PortMenu::Override{true, {}});
  }
}

// --- Host, on the UI thread ---

void CKT90EXEDlg::appendLog(const std::string& text, bool withTime) { views_->appendLog(text, withTime); }

void CKT90EXEDlg::showCode(const std::string& dump) { views_->showCode(dump); }

void CKT90EXEDlg::showSummary(const std::string& summary) { summaryView_->setPlainText(viewText(summary)); }

void CKT90EXEDlg::setOperationState(OperationState state, const std::string& label) {
  shownState_ = state;
  const Rgb colour = stateColour(state);
  statusLabel_->setText(qstr(label));
  statusLabel_->setBackgroundColour(QColor(colour.red, colour.green, colour.blue));
  if (state == OperationState::Running) progressBar_->setValue(0);
  // Ready shows the code view (masked in Production mode by the dump itself).
  if (state == OperationState::Ready) views_->raiseCodeView();
  applyControlStates(state);
}

void CKT90EXEDlg::setProgress(int percent) { progressBar_->setValue(std::clamp(percent, 0, 100)); }

MessageAnswer CKT90EXEDlg::messageBox(const std::string& text, MessageButtons buttons) {
  return dialogs_.messageBox(this, qstr(text), buttons, language_);
}

bool CKT90EXEDlg::editText(const EntryRequest& request, std::string& text) {
  return dialogs_.editText(this, request, language_, text);
}

// --- state shown ---

void CKT90EXEDlg::applyControlStates(OperationState state) {
  // Called from a host call or on the UI thread with no worker running: either way the
  // working state is not being changed under this read.
  const WorkingState& ws = session_.state();
  const ControlStates states = controlStates(state, ws.operatingMode(), ws.chipModelName());
  for (std::size_t i = 0; i < states.size(); ++i) {
    controls_[i]->setEnabled(states[i].enabled);
    controls_[i]->setVisible(states[i].visible);
  }
}

void CKT90EXEDlg::syncFromState() {
  const WorkingState& state = session_.state();
  const QSignalBlocker blocker(chipList_);
  QStringList names;
  for (const std::string& name : state.chipList()) names << qstr(name);
  QStringList shown;
  for (int i = 0; i < chipList_->count(); ++i) shown << chipList_->itemText(i);
  if (names != shown) {
    chipList_->clear();
    chipList_->addItems(names);
  }
  chipList_->setCurrentIndex(state.selectedChipIndex() ? static_cast<int>(*state.selectedChipIndex()) : -1);

  flagsShown_ = state.image().head.flags();
  blank_->setChecked(state.image().head.flag(headflag::kBlank));
  program_->setChecked(state.image().head.flag(headflag::kProgram));
  verify_->setChecked(state.image().head.flag(headflag::kVerify));
  statusText_->setText(qstr(state.fileName()));
  updateTitle();
}

void CKT90EXEDlg::updateTitle() {
  const WorkingState& state = session_.state();
  setWindowTitle(qstr(
      documentTitle(kt90::windowTitle(state.settings()), state.fileName(), state.unsavedChanges(), language_)));
}

MenuContext CKT90EXEDlg::menuContext() const {
  MenuContext context;
  const bool running = session_.runner().busy();
  context.operatingMode = session_.state().operatingMode();
  context.language = language_;
  // The head is the worker's while it runs: show the flags as they were last seen.
  context.headFlags = running ? flagsShown_ : session_.state().image().head.flags();
  context.updateCheckOff = session_.shell().updateCheckOff();
  context.operationRunning = running;
  context.journalStrict = session_.journalStrict();
  return context;
}

// --- closing ---

void CKT90EXEDlg::closeEvent(QCloseEvent* event) {
  if (session_.runner().busy()) {
    // The operation is never cut off: the window closes when it has ended.
    if (!closePending_) appendLog(text(TextId::CloseAfterOperation, language_), true);
    closePending_ = true;
    event->ignore();
    return;
  }
  closePending_ = false;
  if (!discardAccepted_ && !mayReplaceImage()) {
    event->ignore();
    return;
  }
  discardAccepted_ = true;  // asked once: a close that follows goes through
  event->accept();
}

bool CKT90EXEDlg::mayReplaceImage() {
  if (!session_.state().unsavedChanges()) return true;
  switch (dialogs_.askSaveChanges(this, language_)) {
    case SaveChangesAnswer::Save:
      return saveProgramFileCommand();
    case SaveChangesAnswer::Discard:
      return true;
    case SaveChangesAnswer::Cancel:
      break;
  }
  return false;
}

}  // namespace kt90::gui
