// The test thread's own message loop, for tests whose objects hand work to that thread through
// posted messages (Synchronize, OnChange).
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>

namespace corvane::test {

// Dispatches this thread's messages until `done` holds or `timeoutMs` passed; returns `done()`.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (done()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    // Conditions change on other threads too, so look again at least every 10 ms.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 10)),
                              QS_ALLINPUT);
  }
}

// Dispatches this thread's messages for `ms` milliseconds.
inline void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

// Waits, without retrieving it, until a message has been posted to this thread.
inline bool WaitForPostedMessage(DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (HIWORD(GetQueueStatus(QS_POSTMESSAGE)) & QS_POSTMESSAGE) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(1);
  }
}

}  // namespace corvane::test
