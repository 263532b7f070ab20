#include "framework/com/ComBoundary.h"

#include <exception>
#include <new>
#include <string>

#include "framework/OleSysError.h"
#include "framework/com/AnsiConversion.h"
#include "framework/com/ComPtr.h"

namespace corvane {
namespace {

struct Failure {
  HRESULT code = E_UNEXPECTED;
  std::string message;
  DWORD helpContext = 0;
};

Failure FailureOfCurrentException() {
  try {
    throw;
  } catch (const EOleSysError& error) {
    return {error.ErrorCode() < 0 ? static_cast<HRESULT>(error.ErrorCode()) : E_UNEXPECTED, error.Message(),
            static_cast<DWORD>(error.HelpContext())};
  } catch (const std::bad_alloc&) {
    return {E_OUTOFMEMORY, "Out of memory"};
  } catch (const std::exception& error) {
    return {E_UNEXPECTED, error.what()};
  } catch (...) {
    return {E_UNEXPECTED, "Unexpected failure"};
  }
}

void SetRecord(const ErrorOrigin& origin, const Failure& failure) {
  ComPtr<ICreateErrorInfo> record;
  if (FAILED(CreateErrorInfo(record.put()))) return;
  std::wstring description = AnsiToWide(failure.message);
  record->SetDescription(description.data());
  if (origin.source != nullptr) record->SetSource(const_cast<LPOLESTR>(origin.source));
  record->SetGUID(origin.iid);
  record->SetHelpContext(failure.helpContext);
  if (ComPtr<IErrorInfo> info = record.try_query<IErrorInfo>()) SetErrorInfo(0, info.get());
}

}  // namespace

HRESULT ReportCurrentException(const ErrorOrigin& origin) noexcept {
  // Until the failure is known, the only way to get here is running out of memory for its text.
  HRESULT code = E_OUTOFMEMORY;
  try {
    const Failure failure = FailureOfCurrentException();
    code = failure.code;
    SetRecord(origin, failure);
  } catch (...) {
    // No memory left for the record itself: the result still reaches the caller, and no record
    // of an earlier failure may pass for this one.
    boundary::ClearErrorInfo();
  }
  return code;
}

HRESULT ReportNullOutParameter(const ErrorOrigin& origin) noexcept {
  try {
    throw EOleSysError("Invalid pointer", static_cast<int32_t>(E_POINTER));
  } catch (...) {
    return ReportCurrentException(origin);
  }
}

void boundary::ClearErrorInfo() noexcept { SetErrorInfo(0, nullptr); }

}  // namespace corvane
