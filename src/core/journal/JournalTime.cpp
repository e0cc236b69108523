#include "core/journal/JournalTime.h"

#include <cctype>
#include <cstdio>

namespace kt90 {

namespace {

using namespace std::chrono;

// Reads `digits` decimal digits at `pos`, advancing it.
std::optional<int> number(const std::string& text, std::size_t& pos, int digits) {
  if (pos + static_cast<std::size_t>(digits) > text.size()) return std::nullopt;
  int value = 0;
  for (int i = 0; i < digits; ++i) {
    const char c = text[pos + static_cast<std::size_t>(i)];
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  pos += static_cast<std::size_t>(digits);
  return value;
}

bool take(const std::string& text, std::size_t& pos, char c) {
  if (pos < text.size() && text[pos] == c) {
    ++pos;
    return true;
  }
  return false;
}

// The zone after the time, as minutes east of UTC.
std::optional<int> zoneOffset(const std::string& text, std::size_t& pos) {
  if (pos == text.size()) return 0;
  if (take(text, pos, 'Z') || take(text, pos, 'z')) return pos == text.size() ? std::optional<int>(0) : std::nullopt;
  const bool east = take(text, pos, '+');
  if (!east && !take(text, pos, '-')) return std::nullopt;
  const auto hh = number(text, pos, 2);
  // "+08" names whole hours; "+08:" is a minute short.
  const bool hoursOnly = pos == text.size();
  if (!hoursOnly) take(text, pos, ':');
  const auto mm = hoursOnly ? std::optional<int>(0) : number(text, pos, 2);
  if (!hh || !mm || *hh > 23 || *mm > 59 || pos != text.size()) return std::nullopt;
  return (east ? 1 : -1) * (*hh * 60 + *mm);
}

}  // namespace

std::string journalTime(system_clock::time_point time) {
  const auto ms = time_point_cast<milliseconds>(time);
  const sys_days midnight = floor<days>(ms);
  const year_month_day date(midnight);
  const hh_mm_ss clock(ms - midnight);
  char out[32];
  std::snprintf(out, sizeof out, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()), static_cast<int>(clock.subseconds().count()));
  return out;
}

std::optional<std::string> canonicalJournalTime(const std::string& text) {
  std::size_t pos = 0;
  const auto y = number(text, pos, 4);
  const bool dash1 = take(text, pos, '-');
  const auto m = number(text, pos, 2);
  const bool dash2 = take(text, pos, '-');
  const auto d = number(text, pos, 2);
  if (!y || !m || !d || !dash1 || !dash2) return std::nullopt;
  const year_month_day date{year(*y), month(static_cast<unsigned>(*m)), day(static_cast<unsigned>(*d))};
  if (!date.ok()) return std::nullopt;

  int hour = 0, minute = 0, second = 0, millis = 0;
  if (take(text, pos, 'T') || take(text, pos, 't') || take(text, pos, ' ')) {
    const auto h = number(text, pos, 2);
    const bool colon = take(text, pos, ':');
    const auto mi = number(text, pos, 2);
    if (!h || !colon || !mi || *h > 23 || *mi > 59) return std::nullopt;
    hour = *h;
    minute = *mi;
    if (take(text, pos, ':')) {
      const auto s = number(text, pos, 2);
      if (!s || *s > 59) return std::nullopt;
      second = *s;
      if (take(text, pos, '.') || take(text, pos, ',')) {
        int scale = 100;
        std::size_t digits = 0;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
          millis += (text[pos] - '0') * scale;
          scale /= 10;
          ++pos;
          ++digits;
        }
        if (digits == 0) return std::nullopt;
      }
    }
  }
  const std::optional<int> offset = zoneOffset(text, pos);
  if (!offset) return std::nullopt;
  const sys_time<milliseconds> local =
      sys_days(date) + hours(hour) + minutes(minute) + seconds(second) + milliseconds(millis);
  return journalTime(local - minutes(*offset));
}

}  // namespace kt90
