// What an event-log handle stands for: the machine and log it was opened on, the name events
// written through it carry, its read position, and its change subscription. Handles given to
// callers are keys into one process-wide table; a value that is not in the table (never issued,
// or closed) is refused with ERROR_INVALID_HANDLE.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Machine.h"
#include "Owners.h"
#include "SharedLog.h"

namespace corvane::evtsvc {

// What a read works with, kept from one read to the next so that reads of many records allocate
// only when a record needs more room than those before it.
struct TScratch {
  std::vector<uint8_t> stored;  // a record as the file holds it
  evt::RecordView decoded;
  std::vector<uint8_t> record;  // the same in the 8-bit form the caller gets
};

struct TReadMark {
  uint32_t number = 0;
  bool forwards = true;
};

class TLogHandle {
 public:
  TLogHandle(std::shared_ptr<const TMachine> machine, std::shared_ptr<TSharedLog> log,
            std::wstring logName, std::wstring sourceName, bool backup);
  TLogHandle(const TLogHandle&) = delete;
  TLogHandle& operator=(const TLogHandle&) = delete;
  // Ends the change subscription.
  ~TLogHandle();

  const std::shared_ptr<const TMachine> machine;
  const std::shared_ptr<TSharedLog> log;
  const std::wstring logName;
  const std::wstring sourceName;
  const bool backup;

  // Guards the members below: one handle may be used from several threads.
  std::mutex mutex;
  // The last record delivered through this handle and the direction of the read that delivered
  // it; none before the first record. A sequential read in the same direction goes on past it,
  // one turned the other way starts again from it.
  std::optional<TReadMark> lastRead;
  // The log's clear count when this handle last read it.
  uint32_t clearsSeen = 0;
  // This process's own duplicate of the caller's notification event, while subscribed.
  UniqueHandle notification;
  TScratch scratch;
};

class THandleTable {
 public:
  static HANDLE Add(std::shared_ptr<TLogHandle> handle);
  // Both throw ERROR_INVALID_HANDLE for a value that is not an open handle.
  static std::shared_ptr<TLogHandle> Find(HANDLE value);
  static std::shared_ptr<TLogHandle> Remove(HANDLE value);
};

}  // namespace corvane::evtsvc
