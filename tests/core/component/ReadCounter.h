// Counts the reads of records the component makes, at the table boundary: ReadEventLogA is replaced for the
// counter's life by a wrapper that notes each call and forwards it to the service. A test may
// run something before a chosen call, or answer a call itself.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

#include "system/NT_vs_95.h"
#include "system/TableEntry.h"

namespace corvane::component_test {

class ReadCounter {
 public:
  struct Call {
    DWORD flags = 0;
    DWORD size = 0;
    bool succeeded = false;
    DWORD error = 0;
    DWORD bytesRead = 0;
  };

  ReadCounter() : real_(EventLogApi.ReadEventLogA.Get()), scope_(EventLogApi.ReadEventLogA, &Read) {
    active_ = this;
  }
  ~ReadCounter() { active_ = nullptr; }
  ReadCounter(const ReadCounter&) = delete;
  ReadCounter& operator=(const ReadCounter&) = delete;

  const std::vector<Call>& Calls() const { return calls_; }
  size_t Count() const { return calls_.size(); }
  void Reset() { calls_.clear(); }

  // Runs before the call with the given 0-based number is forwarded.
  std::function<void(size_t call)> Before;
  // When set and returning an error code for a call, that call fails with it instead of being
  // forwarded.
  std::function<std::optional<DWORD>(size_t call)> FailWith;

 private:
  static BOOL WINAPI Read(HANDLE log, DWORD flags, DWORD offset, LPVOID buffer, DWORD size,
                          DWORD* read, DWORD* needed) {
    ReadCounter& self = *active_;
    // A read into no room delivers nothing and moves nothing: it only asks whether the log was
    // cleared. Only reads that can deliver records are counted.
    if (size == 0) return self.real_(log, flags, offset, buffer, size, read, needed);
    const size_t number = self.calls_.size();
    Call call;
    call.flags = flags;
    call.size = size;
    if (self.Before) self.Before(number);
    if (self.FailWith) {
      if (std::optional<DWORD> error = self.FailWith(number)) {
        call.error = *error;
        self.calls_.push_back(call);
        SetLastError(*error);
        return FALSE;
      }
    }
    const BOOL ok = self.real_(log, flags, offset, buffer, size, read, needed);
    call.succeeded = ok != FALSE;
    call.error = ok ? 0 : GetLastError();
    call.bytesRead = *read;
    self.calls_.push_back(call);
    SetLastError(call.error);
    return ok;
  }

  static inline ReadCounter* active_ = nullptr;
  decltype(&::ReadEventLogA) real_;
  ScopedEntry<decltype(&::ReadEventLogA)> scope_;
  std::vector<Call> calls_;
};

}  // namespace corvane::component_test
