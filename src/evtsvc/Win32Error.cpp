#include "Win32Error.h"

#include <new>
#include <stdexcept>
#include <string>
#include <system_error>

#include "EvtFile.h"

namespace corvane::evtsvc {

void ThrowWin32(DWORD code) {
  throw EOleSysError(std::to_string(code) + ": event log service failure", static_cast<int32_t>(code));
}

void ThrowLastError() {
  const DWORD code = GetLastError();
  ThrowWin32(code != ERROR_SUCCESS ? code : ERROR_INTERNAL_ERROR);
}

DWORD Win32CodeOfCurrentException() noexcept {
  try {
    throw;
  } catch (const EOleSysError& error) {
    // The framework's conversions raise the system's code as an HRESULT.
    const HRESULT code = error.ErrorCode();
    if (FAILED(code) && HRESULT_FACILITY(code) == FACILITY_WIN32) return HRESULT_CODE(code);
    return static_cast<DWORD>(code);
  } catch (const evt::TCorruptLog&) {
    return ERROR_EVENTLOG_FILE_CORRUPT;
  } catch (const evt::TLogFull&) {
    return ERROR_LOG_FILE_FULL;
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  } catch (const std::length_error&) {
    // A record too large for the file format.
    return ERROR_INVALID_PARAMETER;
  } catch (const std::system_error& error) {
    if (error.code().category() == std::system_category() && error.code().value() != 0) {
      return static_cast<DWORD>(error.code().value());
    }
    return ERROR_INTERNAL_ERROR;
  } catch (...) {
    return ERROR_INTERNAL_ERROR;
  }
}

NTSTATUS NtStatusOfCurrentException() noexcept {
  constexpr NTSTATUS kNoMemory = static_cast<NTSTATUS>(0xC0000017L);       // STATUS_NO_MEMORY
  constexpr NTSTATUS kInternalError = static_cast<NTSTATUS>(0xC00000E5L);  // STATUS_INTERNAL_ERROR
  return Win32CodeOfCurrentException() == ERROR_NOT_ENOUGH_MEMORY ? kNoMemory : kInternalError;
}

}  // namespace corvane::evtsvc
