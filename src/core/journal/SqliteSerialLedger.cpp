// The serial ledger of the SQLite journal: one row per series with its next free serial,
// one per reserved block. A reservation is one BEGIN IMMEDIATE transaction, so processes
// sharing the file take turns and never hand out a serial twice.
#include <map>

#include "core/journal/JournalSchema.h"
#include "core/journal/SerialArithmetic.h"
#include "core/journal/SqliteJournal.h"

namespace kt90 {

namespace {

constexpr const char* kSeriesKey =
    "model = ? AND length = ? AND addresses = ? AND step = ? AND instruction_kind = ? AND start = ?";

void bindSeries(sqlite::Statement& statement, const SerialSeries& series) {
  statement.bind(1, series.model);
  statement.bind(2, std::int64_t{series.length});
  statement.bind(3, serialAddressesText(series.addresses));
  statement.bind(4, std::int64_t{series.step});
  statement.bind(5, std::int64_t{series.instructionKind});
  statement.bindSerial(6, series.start);
}

}  // namespace

SerialReservation SqliteJournal::reserveSerials(const SerialSeries& series, std::uint64_t count,
                                                const SerialBlockOwner& owner) {
  if (std::string problem = seriesProblem(series); !problem.empty()) return {std::nullopt, problem, std::nullopt};
  const std::lock_guard lock(mutex_);
  if (std::string reason = openWriter(std::chrono::steady_clock::now() + kJournalLockWait); !reason.empty()) {
    return {std::nullopt, dropWriter(reason), std::nullopt};
  }
  if (std::string reason = writer_.exec("BEGIN IMMEDIATE"); !reason.empty()) {
    return {std::nullopt, dropWriter(reason), std::nullopt};
  }
  SerialReservation reservation = reserveLocked(series, count, owner);
  if (reservation.block) {
    if (std::string reason = writer_.exec("COMMIT"); !reason.empty()) {
      writer_.exec("ROLLBACK");
      return {std::nullopt, dropWriter(reason), std::nullopt};
    }
  } else {
    writer_.exec("ROLLBACK");
  }
  return reservation;
}

// The reservation inside the open transaction; no block when it must be rolled back.
SerialReservation SqliteJournal::reserveLocked(const SerialSeries& series, std::uint64_t count,
                                               const SerialBlockOwner& owner) {
  const auto failed = [this] { return SerialReservation{std::nullopt, withPath(writer_.lastError()), std::nullopt}; };
  std::int64_t seriesId = 0;
  SerialPosition at{series.start, false};
  {
    sqlite::Statement find(writer_, std::string("SELECT id, next, exhausted FROM serial_series WHERE ") + kSeriesKey);
    if (!find.ok()) return failed();
    bindSeries(find, series);
    if (find.step()) {
      seriesId = find.integer(0);
      at = {find.serial(1), find.integer(2) != 0};
    } else if (!find.done()) {
      return failed();
    }
  }
  if (seriesId == 0) {
    sqlite::Statement add(writer_,
                          "INSERT INTO serial_series (model, length, addresses, step, instruction_kind, start, next,"
                          " exhausted) VALUES (?, ?, ?, ?, ?, ?, ?, 0)");
    if (!add.ok()) return failed();
    bindSeries(add, series);
    add.bindSerial(7, series.start);
    add.step();
    if (!add.done()) return failed();
    seriesId = writer_.lastInsertId();
  }
  SerialPlan plan = planSerialBlock(series, at, count);
  if (!plan.reservation.block) return plan.reservation;
  plan.reservation.block->owner = owner;

  sqlite::Statement block(writer_,
                          "INSERT INTO serial_block (series, time, host, port, programmer_uid, first, last, file)"
                          " VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
  if (!block.ok()) return failed();
  block.bind(1, seriesId);
  block.bind(2, owner.time);
  block.bind(3, owner.host);
  block.bind(4, owner.port);
  block.bind(5, owner.programmerUid);
  block.bindSerial(6, plan.reservation.block->first);
  block.bindSerial(7, plan.reservation.block->last);
  block.bind(8, owner.file);
  block.step();
  if (!block.done()) return failed();
  sqlite::Statement advance(writer_, "UPDATE serial_series SET next = ?, exhausted = ? WHERE id = ?");
  if (!advance.ok()) return failed();
  advance.bindSerial(1, plan.after.next);
  advance.bind(2, std::int64_t{plan.after.exhausted ? 1 : 0});
  advance.bind(3, seriesId);
  advance.step();
  if (!advance.done()) return failed();
  return plan.reservation;
}

std::string SqliteJournal::listSeries(std::vector<SerialSeriesState>& list) {
  list.clear();
  sqlite::Connection db;
  int version = 0;
  if (std::string reason = openReader(db, version); !reason.empty() || version < 2) return reason;
  std::map<std::int64_t, std::size_t> byId;
  sqlite::Statement series(db,
                           "SELECT id, model, length, addresses, step, instruction_kind, start, next, exhausted"
                           " FROM serial_series ORDER BY id");
  if (!series.ok()) return withPath(db.lastError());
  while (series.step()) {
    SerialSeriesState state;
    state.series.model = series.text(1);
    state.series.length = static_cast<int>(series.integer(2));
    state.series.addresses = serialAddressesFromText(series.text(3));
    state.series.step = static_cast<int>(series.integer(4));
    state.series.instructionKind = static_cast<int>(series.integer(5));
    state.series.start = series.serial(6);
    state.next = series.serial(7);
    state.exhausted = series.integer(8) != 0;
    byId[series.integer(0)] = list.size();
    list.push_back(std::move(state));
  }
  if (!series.done()) return withPath(db.lastError());
  sqlite::Statement blocks(db,
                           "SELECT series, time, host, port, programmer_uid, first, last, file FROM serial_block"
                           " ORDER BY id");
  if (!blocks.ok()) return withPath(db.lastError());
  while (blocks.step()) {
    const auto owner = byId.find(blocks.integer(0));
    if (owner == byId.end()) continue;
    SerialBlock block;
    block.owner = {blocks.text(1), blocks.text(2), blocks.text(3), blocks.text(4), blocks.text(7)};
    block.first = blocks.serial(5);
    block.last = blocks.serial(6);
    list[owner->second].blocks.push_back(std::move(block));
  }
  if (!blocks.done()) return withPath(db.lastError());
  return {};
}

}  // namespace kt90
