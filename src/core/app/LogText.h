#pragma once
#include <ctime>
#include <string>

namespace kt90 {

// The log view's text and its rules: an entry holds at most 1,023 characters; "CLEAR"
// empties the log; the log is emptied before an entry once it holds 4,096 characters.
class LogText {
 public:
  static constexpr std::size_t kEntryUnits = 1023;
  static constexpr std::size_t kClearAtUnits = 4096;

  // Returns the entry as it was added (time stamp included), or empty for "CLEAR".
  std::string append(const std::string& entry, bool withTime, const std::tm& now);
  const std::string& text() const { return text_; }
  void clear() {
    text_.clear();
    units_ = 0;
  }

 private:
  std::string text_;
  std::size_t units_ = 0;
};

// "%H:%M:%S " of `now`.
std::string logTimeStamp(const std::tm& now);

// Every log entry passes here: bytes that are not UTF-8 (a line of a damaged file, a name
// in another encoding) escaped as "\xNN", then cut to the 1,023 characters an entry holds.
std::string cutLogEntry(const std::string& entry);

bool isClearCommand(const std::string& entry);

}  // namespace kt90
