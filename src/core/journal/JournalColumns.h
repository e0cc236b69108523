#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/journal/JournalRecord.h"

namespace kt90 {

// The journal's table as both stores, the station's SQLite file and the factory's server,
// keep it: one column order, one way to write a record into it and to read one back.

// A value of one column: none is NULL; an unsigned value is a serial (all 64 bits).
using ColumnValue = std::variant<std::monostate, std::int64_t, std::uint64_t, std::string>;

// The record's columns after its id, in the order recordValues and recordFromRow use.
extern const char* const kRecordColumns;
inline constexpr int kRecordColumnCount = 21;

std::vector<ColumnValue> recordValues(const JournalRecord& record);

// One row of "SELECT id, <kRecordColumns>" as a store's driver gives it.
class RecordRow {
 public:
  virtual ~RecordRow() = default;
  virtual std::string text(int column) const = 0;
  virtual std::optional<std::int64_t> integer(int column) const = 0;
  virtual std::optional<std::uint64_t> serial(int column) const = 0;
  virtual bool flag(int column) const = 0;
};

JournalRecord recordFromRow(const RecordRow& row);

// The WHERE clause of `filter` (and `extra`, a condition without a value), its values
// appended to `values` in the order of their placeholders; `placeholder(n)` writes the
// n-th, counting from 1.
std::string filterClause(const JournalFilter& filter, std::vector<ColumnValue>& values,
                         const std::function<std::string(int)>& placeholder, const char* extra = nullptr);

// One line of the yield: how many operations of a program there were and how many passed.
JournalSummaryRow summaryRow(std::string model, std::optional<std::int64_t> fileChecksum, std::int64_t operations,
                             std::int64_t passed);

}  // namespace kt90
