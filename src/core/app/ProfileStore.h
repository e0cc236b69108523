#pragma once
#include <cstdint>
#include <map>
#include <string>

namespace kt90 {

// The per-user profile, section "Settings": "LANGID", "MCU", "Account", "ComPort",
// "LastTime". The GUI keeps it in QSettings; tests and the CLI use MemoryProfile.
class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  virtual std::int32_t readInt(const std::string& key, std::int32_t defaultValue) const = 0;
  virtual std::string readString(const std::string& key, const std::string& defaultValue) const = 0;
  virtual void writeInt(const std::string& key, std::int32_t value) = 0;
  virtual void writeString(const std::string& key, const std::string& value) = 0;
};

// Profile keys and their defaults.
namespace profile {
inline constexpr const char* kLanguage = "LANGID";      // default 2052
inline constexpr const char* kChip = "MCU";             // default ""
inline constexpr const char* kAccount = "Account";      // default 1 (R&D)
inline constexpr const char* kComPort = "ComPort";      // default ""
inline constexpr const char* kLastTime = "LastTime";    // default "2017/3/6"
inline constexpr const char* kJournalLocation = "JournalLocation";  // the window's journal; "" the default file
inline constexpr const char* kStation = "Station";                  // "" the computer's name
inline constexpr std::int32_t kDefaultLanguage = 2052;
inline constexpr std::int32_t kDefaultAccount = 1;
inline constexpr const char* kDefaultLastTime = "2017/3/6";
}  // namespace profile

// A profile held in memory (tests, and the CLI unless told otherwise).
class MemoryProfile : public ProfileStore {
 public:
  std::int32_t readInt(const std::string& key, std::int32_t defaultValue) const override;
  std::string readString(const std::string& key, const std::string& defaultValue) const override;
  void writeInt(const std::string& key, std::int32_t value) override;
  void writeString(const std::string& key, const std::string& value) override;

  const std::map<std::string, std::string>& values() const { return values_; }

 private:
  std::map<std::string, std::string> values_;
};

}  // namespace kt90
