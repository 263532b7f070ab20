#include "Win32Storage.h"

#include <algorithm>

#include "Win32Error.h"

namespace corvane::evtsvc {
namespace {

constexpr size_t kMaxChunk = 1u << 30;

}  // namespace

TWin32Storage::TWin32Storage(const std::wstring& path, TMode mode) {
  const DWORD access = mode == TMode::ReadOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  const DWORD disposition = mode == TMode::ReadOnly     ? OPEN_EXISTING
                            : mode == TMode::CreateNew ? CREATE_NEW
                                                      : OPEN_ALWAYS;
  file_.reset(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_) {
    const DWORD error = GetLastError();
    ThrowWin32(error == ERROR_FILE_EXISTS ? ERROR_ALREADY_EXISTS : error);
  }
}

uint64_t TWin32Storage::Size() const {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file_.get(), &size)) ThrowLastError();
  return static_cast<uint64_t>(size.QuadPart);
}

// Reads and writes go to a position set beforehand, not through an OVERLAPPED structure: under
// Wine every call with one costs a request to the server (to queue a completion packet), and the
// readers of a log read without any other. The position belongs to the handle: callers use one
// storage from one thread at a time.
void TWin32Storage::Seek(uint64_t offset) const {
  LARGE_INTEGER position{};
  position.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(file_.get(), position, nullptr, FILE_BEGIN)) ThrowLastError();
}

void TWin32Storage::Read(uint64_t offset, void* buffer, size_t count) const {
  auto* bytes = static_cast<uint8_t*>(buffer);
  Seek(offset);
  while (count > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min(count, kMaxChunk));
    DWORD read = 0;
    if (!ReadFile(file_.get(), bytes, chunk, &read, nullptr)) ThrowLastError();
    if (read == 0) throw evt::TCorruptLog("read past the end of the log file");
    bytes += read;
    count -= read;
  }
}

void TWin32Storage::Write(uint64_t offset, const void* data, size_t count) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  Seek(offset);
  while (count > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min(count, kMaxChunk));
    DWORD written = 0;
    if (!WriteFile(file_.get(), bytes, chunk, &written, nullptr)) ThrowLastError();
    if (written == 0) ThrowWin32(ERROR_WRITE_FAULT);
    bytes += written;
    count -= written;
  }
}

void TWin32Storage::Resize(uint64_t size) {
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
  if (!SetFileInformationByHandle(file_.get(), FileEndOfFileInfo, &end, sizeof(end))) ThrowLastError();
}

void TWin32Storage::Flush() {
  if (!FlushFileBuffers(file_.get())) ThrowLastError();
}

void CreateParentFolders(const std::wstring& path) {
  const size_t last = path.find_last_of(L"\\/");
  if (last == std::wstring::npos || last == 0) return;
  const std::wstring folder = path.substr(0, last);
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return;
  // "C:" alone, or a share root, is not something to create.
  if (folder.size() <= 2 || folder.back() == L':') return;
  CreateParentFolders(folder);
  if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    ThrowLastError();
  }
}

}  // namespace corvane::evtsvc
