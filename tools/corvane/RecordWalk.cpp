#include "RecordWalk.h"

namespace corvane::cli {

void VisitKept(TRecordWalker& walker, const TRecordFilter& filter, std::optional<uint32_t> newest,
               bool backwards, const TVisit& visit) {
  const uint32_t total = walker.Total();
  if (total == 0 || newest == 0u) return;
  const uint32_t wanted = newest.value_or(UINT32_MAX);
  uint32_t shown = 0;
  const auto keep = [&](uint32_t position, TRecordView& record) {
    if (!filter.Keeps(record)) return true;
    return visit(position, record) && ++shown < wanted;
  };
  if (backwards) return walker.Walk(total - 1, true, keep);

  // Forwards, the newest matches start at the oldest of them, found walking back from the end.
  uint32_t start = 0;
  if (newest && filter.Empty()) {
    start = total - std::min(wanted, total);
  } else if (newest) {
    uint32_t found = 0;
    walker.Walk(total - 1, true, [&](uint32_t position, TRecordView& record) {
      if (!filter.Keeps(record)) return true;
      start = position;
      return ++found < wanted;
    });
    if (found == 0) return;
  }
  walker.Walk(start, false, keep);
}

uint64_t CountKept(TRecordWalker& walker, const TRecordFilter& filter,
                   std::optional<uint32_t> newest) {
  uint64_t count = 0;
  VisitKept(walker, filter, newest, true, [&](uint32_t, TRecordView&) {
    ++count;
    return true;
  });
  return count;
}

void Summarize(TRecordWalker& walker, const TRecordFilter& filter, TStats& stats) {
  if (walker.Total() == 0) return;
  walker.Walk(0, false, [&](uint32_t, TRecordView& record) {
    if (filter.Keeps(record)) stats.Add(record);
    return true;
  });
}

}  // namespace corvane::cli
