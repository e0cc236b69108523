#pragma once
#include <optional>
#include <string>
#include <vector>

#include "core/app/ProfileStore.h"
#include "core/text/Language.h"

namespace kt90 {

// The port menu: one radio entry per port a programmer may sit on, numbered from 1224,
// with the entry the profile's "ComPort" names marked (or the first one). Beside the
// serial ports it offers the built-in emulated programmer and a port typed by path.
class PortSelection {
 public:
  static constexpr int kFirstCommand = 1224;

  // Rebuilds the entries: `serialNames` (the accepted friendly names, in enumeration
  // order), then a typed port the profile remembers, then the emulator. The mark goes to
  // the last entry equal to the stored text, else to the first serial port (none when
  // there is none); the profile is not written.
  void rebuild(const std::vector<std::string>& serialNames, const ProfileStore& profile, LanguageId language);

  // The port command `command`: marks its entry and stores its text. False when the
  // number belongs to no entry.
  bool choose(int command, ProfileStore& profile);
  // A port typed by path: becomes an entry of its own, marked and stored.
  void chooseTypedPort(const std::string& path, ProfileStore& profile, LanguageId language);

  const std::vector<std::string>& entries() const { return entries_; }
  int commandOf(std::size_t index) const { return kFirstCommand + static_cast<int>(index); }
  int nextFreeCommand() const { return commandOf(entries_.size()); }
  std::optional<std::size_t> chosen() const { return chosen_; }
  // The marked entry's text, empty when there is none.
  std::string chosenText() const;
  bool emulatorChosen() const;

 private:
  std::vector<std::string> entries_;
  std::optional<std::size_t> chosen_;
  LanguageId language_ = kChinese;
};

// The emulator's entry in `language`.
std::string emulatorPortText(LanguageId language);
// The entry of a port typed by path: "<label> (<path>)", opened by the path.
std::string typedPortText(const std::string& path, LanguageId language);
// The entry texts are stored in the language of the day; both languages' texts name
// the same port.
bool isEmulatorPortText(const std::string& text);
std::optional<std::string> typedPortPath(const std::string& text);

}  // namespace kt90
