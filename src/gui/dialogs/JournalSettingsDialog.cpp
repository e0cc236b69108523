#include "gui/dialogs/JournalSettingsDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/journal/JournalLocation.h"
#include "gui/GuiText.h"

namespace kt90::gui {

JournalSettingsDialog::JournalSettingsDialog(const QString& location, const QString& station, LanguageId language,
                                             QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(qtext(TextId::JournalSettingsTitle, language));
  setMinimumWidth(520);
  location_ = new QLineEdit(location, this);
  location_->setObjectName("journalLocation");
  location_->setPlaceholderText(qtext(TextId::JournalSettingsLocationDefault, language));
  station_ = new QLineEdit(station, this);
  station_->setObjectName("stationName");
  station_->setPlaceholderText(qstr(computerName()));

  auto* locationLabel = new QLabel(qtext(TextId::JournalSettingsLocation, language), this);
  locationLabel->setBuddy(location_);
  auto* stationLabel = new QLabel(qtext(TextId::JournalSettingsStation, language), this);
  stationLabel->setBuddy(station_);
  auto* hint = new QLabel(qtext(TextId::JournalSettingsHint, language), this);
  hint->setWordWrap(true);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(qtext(TextId::ButtonOk, language));
  buttons->button(QDialogButtonBox::Cancel)->setText(qtext(TextId::ButtonCancel, language));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(locationLabel);
  layout->addWidget(location_);
  layout->addWidget(stationLabel);
  layout->addWidget(station_);
  layout->addWidget(hint);
  layout->addWidget(buttons);
}

QString JournalSettingsDialog::location() const { return location_->text().trimmed(); }
QString JournalSettingsDialog::station() const { return station_->text().trimmed(); }

}  // namespace kt90::gui
