#pragma once
#include <string>

#include "core/journal/JournalRecord.h"

namespace kt90 {

// Where the operation frame hands every finished operation.
class JournalSink {
 public:
  virtual ~JournalSink() = default;
  // Stores one record; never throws. Returns a line for the log when the record could not
  // be stored and this journal has not said so before; empty otherwise.
  virtual std::string append(const JournalRecord& record) = 0;
};

}  // namespace kt90
