#include "system/NT_vs_95.h"

#include <cstring>

#include "system/ErrorText.h"
#include "system/Platform.h"

namespace corvane {

TEventLogFunctions EventLogApi;

bool IsWindowsNT() {
  OSVERSIONINFOA info;
  std::memset(&info, 0, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  ::SetLastError(0);
  if (!Platform().GetVersionEx(&info)) RaiseLastSystemError();
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

std::string NetFunctionName(const std::string& name) {
  if (IsWindowsNT() || name == "NetApiBufferFree") return name;
  return name + "A";
}

void ToNetString(const std::string& text, void* buffer, size_t size) {
  if (size == 0) return;
  if (IsWindowsNT()) {
    auto* out = static_cast<wchar_t*>(buffer);
    const size_t capacity = size / sizeof(wchar_t);
    if (capacity == 0) {
      *static_cast<char*>(buffer) = '\0';
      return;
    }
    const std::wstring wide = AnsiToWide(text);
    size_t count = std::min(wide.size(), capacity - 1);
    // Never leave half of a surrogate pair at the cut.
    if (count < wide.size() && count > 0 && IS_HIGH_SURROGATE(wide[count - 1])) --count;
    std::memcpy(out, wide.data(), count * sizeof(wchar_t));
    out[count] = L'\0';
  } else {
    auto* out = static_cast<char*>(buffer);
    size_t count = 0;
    // Copy whole characters only: a double-byte character is taken with both bytes or not at all.
    while (count < text.size()) {
      const size_t step =
          (IsDBCSLeadByte(static_cast<BYTE>(text[count])) && count + 1 < text.size()) ? 2 : 1;
      if (count + step > size - 1) break;
      count += step;
    }
    std::memcpy(out, text.data(), count);
    out[count] = '\0';
  }
}

std::string FromNetString(const void* text) {
  if (!text) return {};
  if (IsWindowsNT()) return WideToAnsiLossy(static_cast<const wchar_t*>(text));
  return std::string(static_cast<const char*>(text));
}

}  // namespace corvane
