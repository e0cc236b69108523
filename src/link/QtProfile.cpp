#include "link/QtProfile.h"

#include <QSettings>

namespace kt90::link {
namespace {

QString keyPath(const std::string& key) { return QStringLiteral("Settings/") + QString::fromStdString(key); }

}  // namespace

QtProfile::QtProfile(QString organization, QString application)
    : organization_(std::move(organization)), application_(std::move(application)) {}

std::int32_t QtProfile::readInt(const std::string& key, std::int32_t defaultValue) const {
  const QSettings settings(organization_, application_);
  const QVariant value = settings.value(keyPath(key));
  if (!value.isValid()) return defaultValue;
  bool ok = false;
  // Stored as a 32-bit number; a text that is no number reads as the default.
  const qlonglong number = value.toLongLong(&ok);
  if (!ok) return defaultValue;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(number));
}

std::string QtProfile::readString(const std::string& key, const std::string& defaultValue) const {
  const QSettings settings(organization_, application_);
  const QVariant value = settings.value(keyPath(key));
  if (!value.isValid()) return defaultValue;
  return value.toString().toStdString();
}

void QtProfile::writeInt(const std::string& key, std::int32_t value) {
  QSettings settings(organization_, application_);
  settings.setValue(keyPath(key), value);
}

void QtProfile::writeString(const std::string& key, const std::string& value) {
  QSettings settings(organization_, application_);
  settings.setValue(keyPath(key), QString::fromStdString(value));
}

QString QtProfile::location() const { return QSettings(organization_, application_).fileName(); }

}  // namespace kt90::link
