#pragma once
// A serial ledger in memory for the operation tests: blocks follow each other per series,
// as the journal's store hands them out.
#include <map>
#include <tuple>

#include "core/journal/JournalStore.h"

namespace kt90::testing {

class MemoryLedger : public JournalStore {
 public:
  std::string describe() const override { return "memory"; }
  JournalAppend append(const JournalRecord&) override { return {1, {}}; }
  std::string query(const JournalFilter&, std::vector<JournalRecord>&, bool) override { return {}; }
  std::string summarise(const JournalFilter&, std::vector<JournalSummaryRow>&) override { return {}; }
  std::string listSeries(std::vector<SerialSeriesState>&) override { return {}; }

  SerialReservation reserveSerials(const SerialSeries& series, std::uint64_t count,
                                   const SerialBlockOwner& owner) override {
    const auto key = std::make_tuple(series.model, series.length, series.addresses, series.step, series.start);
    std::uint64_t& next = next_.try_emplace(key, series.start).first->second;
    const std::uint64_t end = series.length >= 8 ? ~std::uint64_t{0} : std::uint64_t{1} << (8 * series.length);
    const std::uint64_t step = series.step == 0 ? 1 : series.step;
    const std::uint64_t remaining = next >= end ? 0 : (end - next + step - 1) / step;
    if (count > remaining) return {std::nullopt, "too few serials left", remaining};
    SerialBlock block{owner, next, next + (count - 1) * step};
    next = block.last + step;
    return {block, {}, std::nullopt};
  }

 private:
  std::map<std::tuple<std::string, int, std::vector<std::uint16_t>, int, std::uint64_t>, std::uint64_t> next_;
};

}  // namespace kt90::testing
