#pragma once
#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

#include "core/app/ControlRules.h"
#include "core/app/Host.h"
#include "core/app/MenuRules.h"
#include "core/app/RecentFiles.h"
#include "core/programmer/DeviceOperations.h"

namespace kt90 {
enum class TextId : int;
}
#include "gui/Dialogs.h"
#include "gui/PortMenu.h"
#include "gui/Session.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace kt90::gui {

class CColorStatic;
class CQdComboBox;
class LogCodeViews;
class MainMenu;
class UpdateChecker;

// The main window: a view of the session's working state. It forwards every command to
// the core and shows what the core reports (it is the Host behind the session's UiHost,
// called on the UI thread only). Device operations run on the session's workers.
class CKT90EXEDlg : public QMainWindow, public Host {
  Q_OBJECT
 public:
  CKT90EXEDlg(Session& session, Dialogs& dialogs, PortMenu::PortLister ports, QWidget* parent = nullptr);
  ~CKT90EXEDlg() override;

  // The start: the working state started (profile, settings, chips, the remembered chip),
  // texts, menus, ports, the update check, then the file named on the command line.
  void start();

  // Host, on the UI thread.
  void appendLog(const std::string& text, bool withTime) override;
  void showCode(const std::string& dump) override;
  void showSummary(const std::string& summary) override;
  void setOperationState(OperationState state, const std::string& label) override;
  void setProgress(int percent) override;
  MessageAnswer messageBox(const std::string& text, MessageButtons buttons) override;
  bool editText(const EntryRequest& request, std::string& text) override;

  // Commands, as the controls and the menu give them.
  void command(Control control);
  void menuCommand(MenuCommand command);
  void chipSelected(int index);
  // The status line says why the production journal lacks a record (each time it happens).
  void showJournalProblem(const std::string& why);
  // Starts a device operation on a worker; `after` runs on the UI thread when it ended.
  void startDeviceOperation(DeviceOperation op, std::function<void(const OperationOutcome&)> after = {});
  bool prepareDownload(OperationRequest& request);

  // Read-only views for tests and screenshots.
  QWidget* control(Control c) const { return controls_[static_cast<std::size_t>(c)]; }
  CQdComboBox* chipList() const { return chipList_; }
  CColorStatic* statusLabel() const { return statusLabel_; }
  QLineEdit* statusText() const { return statusText_; }
  QProgressBar* progressBar() const { return progressBar_; }
  QPushButton* cancelButton() const { return cancelButton_; }
  QPlainTextEdit* summaryView() const { return summaryView_; }
  LogCodeViews* views() const { return views_; }
  MainMenu* mainMenu() const { return menu_; }
  PortMenu* portMenu() const { return portMenu_; }
  OperationState shownState() const { return shownState_; }
  bool closePending() const { return closePending_; }
  UpdateChecker* updateChecker() const { return updateChecker_.get(); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildControls();
  void applyTexts();
  void applyControlStates(OperationState state);
  // Shows what the working state holds: chip list and selection, check boxes, file name.
  void syncFromState();
  MenuContext menuContext() const;
  // The file name, with a mark while the image holds unsaved changes, and the program.
  void updateTitle();
  // Before the image is replaced (Open, Upload, Read, a chip change, quitting): true when
  // nothing unsaved is there, or the user saved it or chose to discard it.
  bool mayReplaceImage();
  void openProgramFileCommand();
  void openProgramFileAt(const QString& path);
  void fillRecentMenu();
  // True when the file was saved.
  bool saveProgramFileCommand();
  // A download without a single code word asks before it starts.
  bool mayDownload();
  void uidSettingsCommand();
  void openLocalFile(const std::string& path, TextId missing);
  void operationEnded(const OperationOutcome& outcome, const std::function<void(const OperationOutcome&)>& after);
  void applyPortOverride();
  // Its size and place within the screen's free area, whatever the scale factor.
  void fitIntoScreen();

  Session& session_;
  Dialogs& dialogs_;
  PortMenu::PortLister portLister_;
  LanguageId language_ = kChinese;
  OperationState shownState_ = OperationState::Ready;
  bool closePending_ = false;
  bool discardAccepted_ = false;  // the user chose to quit without saving
  RecentFiles recentFiles_;
  std::uint8_t flagsShown_ = 0;

  std::array<QWidget*, static_cast<std::size_t>(Control::Count)> controls_{};
  QGroupBox* chipGroup_ = nullptr;
  CQdComboBox* chipList_ = nullptr;
  CColorStatic* statusLabel_ = nullptr;
  QCheckBox* blank_ = nullptr;
  QCheckBox* program_ = nullptr;
  QCheckBox* verify_ = nullptr;
  QPlainTextEdit* summaryView_ = nullptr;
  QLineEdit* statusText_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QPushButton* cancelButton_ = nullptr;  // enabled only while a download runs
  LogCodeViews* views_ = nullptr;
  MainMenu* menu_ = nullptr;
  PortMenu* portMenu_ = nullptr;
  std::unique_ptr<UpdateChecker> updateChecker_;
};

}  // namespace kt90::gui
