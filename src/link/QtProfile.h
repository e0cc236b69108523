#pragma once
#include <QString>

#include "core/app/ProfileStore.h"

namespace kt90::link {

// The per-user profile in QSettings: organization "Nardex", the executable's name as the
// application, section "Settings" (the registry on Windows, an INI file in the user's
// configuration folder elsewhere). Every call opens its own QSettings, so the update
// check may write "LastTime" from its thread while the window reads other keys.
class QtProfile : public ProfileStore {
 public:
  QtProfile(QString organization, QString application);

  std::int32_t readInt(const std::string& key, std::int32_t defaultValue) const override;
  std::string readString(const std::string& key, const std::string& defaultValue) const override;
  void writeInt(const std::string& key, std::int32_t value) override;
  void writeString(const std::string& key, const std::string& value) override;

  // Where the values live (a file path or a registry path).
  QString location() const;

 private:
  QString organization_;
  QString application_;
};

}  // namespace kt90::link
