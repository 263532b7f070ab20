// What count, dump and stats do with a log's records, whichever reader reads them (the file
// directly, or the service): the filter's matches in the order a dump shows them, their count,
// and their summary. Needs no Windows header.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "DumpFormat.h"
#include "Options.h"
#include "RecordFilter.h"
#include "RecordView.h"
#include "Stats.h"

namespace corvane::cli {

// Visits a record at its position in the log (0 = the oldest); false ends the walk.
using TVisit = std::function<bool(uint32_t position, TRecordView& record)>;

// A log's records, walked from any position in either direction.
class TRecordWalker {
 public:
  virtual ~TRecordWalker() = default;
  virtual uint32_t Total() = 0;
  // From position `start` (below Total()) to the newest record, or back to the oldest.
  virtual void Walk(uint32_t start, bool backwards, const TVisit& visit) = 0;
};

// The records the filter keeps, oldest first or (backwards) newest first; with `newest`, only
// that many of the newest of them. Each is visited once; a false from `visit` ends the walk.
void VisitKept(TRecordWalker& walker, const TRecordFilter& filter, std::optional<uint32_t> newest,
               bool backwards, const TVisit& visit);

// How many records the filter keeps, at most `newest` when given.
uint64_t CountKept(TRecordWalker& walker, const TRecordFilter& filter,
                   std::optional<uint32_t> newest);

// Every record the filter keeps added to `stats`.
void Summarize(TRecordWalker& walker, const TRecordFilter& filter, TStats& stats);

}  // namespace corvane::cli
