#include "core/app/PortSelection.h"

#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {
namespace {

// A stored text in the running language: a profile written before a language switch
// still names the same emulator or typed port.
std::string inLanguage(const std::string& stored, LanguageId language) {
  if (isEmulatorPortText(stored)) return emulatorPortText(language);
  if (const auto path = typedPortPath(stored)) return typedPortText(*path, language);
  return stored;
}

}  // namespace

std::string emulatorPortText(LanguageId language) { return text(TextId::PortEmulatorEntry, language); }

std::string typedPortText(const std::string& path, LanguageId language) {
  return formatText(text(TextId::PortTypedEntry, language), path.c_str());
}

bool isEmulatorPortText(const std::string& text) {
  return text == emulatorPortText(kEnglish) || text == emulatorPortText(kChinese);
}

std::optional<std::string> typedPortPath(const std::string& text) {
  for (LanguageId language : {kEnglish, kChinese}) {
    const std::string prefix = typedPortText("", language);  // "<label> ()"
    const std::string head = prefix.substr(0, prefix.size() - 1);
    if (text.size() > prefix.size() && text.compare(0, head.size(), head) == 0 && text.back() == ')') {
      return text.substr(head.size(), text.size() - head.size() - 1);
    }
  }
  return std::nullopt;
}

void PortSelection::rebuild(const std::vector<std::string>& serialNames, const ProfileStore& profile,
                            LanguageId language) {
  language_ = language;
  const std::string stored = inLanguage(profile.readString(profile::kComPort, ""), language);
  entries_ = serialNames;
  if (typedPortPath(stored)) entries_.push_back(stored);
  entries_.push_back(emulatorPortText(language));

  chosen_.reset();
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i] == stored) chosen_ = i;
  }
  // Only a serial port is taken unasked: the emulator is never a silent default.
  if (!chosen_ && !serialNames.empty()) chosen_ = 0;
}

bool PortSelection::choose(int command, ProfileStore& profile) {
  if (command < kFirstCommand || command >= nextFreeCommand()) return false;
  chosen_ = static_cast<std::size_t>(command - kFirstCommand);
  profile.writeString(profile::kComPort, entries_[*chosen_]);
  return true;
}

void PortSelection::chooseTypedPort(const std::string& path, ProfileStore& profile, LanguageId language) {
  const std::string entry = typedPortText(path, language);
  std::optional<std::size_t> found;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i] == entry) found = i;
  }
  if (!found) {
    // Typed ports stand before the emulator, which always closes the list.
    const std::size_t at = entries_.empty() ? 0 : entries_.size() - 1;
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at), entry);
    found = at;
  }
  chosen_ = found;
  profile.writeString(profile::kComPort, entry);
}

std::string PortSelection::chosenText() const { return chosen_ ? entries_[*chosen_] : std::string(); }

bool PortSelection::emulatorChosen() const { return chosen_ && isEmulatorPortText(entries_[*chosen_]); }

}  // namespace kt90
