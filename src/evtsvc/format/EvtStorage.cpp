#include "EvtStorage.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace corvane::evt {
namespace {

void CheckRange(uint64_t offset, size_t count, uint64_t size) {
  if (offset > size || count > size - offset) {
    throw TCorruptLog("read past the end of the log file");
  }
}

[[noreturn]] void ThrowErrno(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

void MemoryStorage::Read(uint64_t offset, void* buffer, size_t count) const {
  CheckRange(offset, count, bytes_.size());
  if (count != 0) std::memcpy(buffer, bytes_.data() + offset, count);
}

void MemoryStorage::Write(uint64_t offset, const void* data, size_t count) {
  if (count == 0) return;
  if (offset + count > bytes_.size()) bytes_.resize(offset + count);
  std::memcpy(bytes_.data() + offset, data, count);
}

void MemoryStorage::Resize(uint64_t size) { bytes_.resize(size); }

TFileStorage::TFileStorage(const std::filesystem::path& path, TMode mode)
    : readOnly_(mode == TMode::ReadOnly) {
#ifdef _WIN32
  const wchar_t* how = mode == TMode::ReadOnly ? L"rb" : mode == TMode::ReadWrite ? L"r+b" : L"w+b";
  file_.reset(_wfopen(path.c_str(), how));
#else
  const char* how = mode == TMode::ReadOnly ? "rb" : mode == TMode::ReadWrite ? "r+b" : "w+b";
  file_.reset(std::fopen(path.c_str(), how));
#endif
  if (!file_) ThrowErrno("cannot open log file");
  std::error_code error;
  size_ = std::filesystem::file_size(path, error);
  if (error) throw std::system_error(error, "cannot read the log file size");
}

void TFileStorage::Seek(uint64_t offset) const {
#ifdef _WIN32
  int failed = _fseeki64(file_.get(), static_cast<long long>(offset), SEEK_SET);
#else
  int failed = fseeko(file_.get(), static_cast<off_t>(offset), SEEK_SET);
#endif
  if (failed) ThrowErrno("cannot seek in log file");
}

void TFileStorage::Read(uint64_t offset, void* buffer, size_t count) const {
  CheckRange(offset, count, size_);
  if (count == 0) return;
  Seek(offset);
  if (std::fread(buffer, 1, count, file_.get()) != count) {
    if (std::ferror(file_.get())) ThrowErrno("cannot read log file");
    throw TCorruptLog("log file shorter than expected");
  }
}

void TFileStorage::Write(uint64_t offset, const void* data, size_t count) {
  if (readOnly_) throw std::system_error(EBADF, std::generic_category(), "log file is read-only");
  if (count == 0) return;
  if (offset > size_) Resize(offset);
  Seek(offset);
  if (std::fwrite(data, 1, count, file_.get()) != count) ThrowErrno("cannot write log file");
  if (offset + count > size_) size_ = offset + count;
}

void TFileStorage::Resize(uint64_t size) {
  if (readOnly_) throw std::system_error(EBADF, std::generic_category(), "log file is read-only");
  if (std::fflush(file_.get()) != 0) ThrowErrno("cannot write log file");
#ifdef _WIN32
  errno = _chsize_s(_fileno(file_.get()), static_cast<long long>(size));
  if (errno != 0) ThrowErrno("cannot resize log file");
#else
  if (ftruncate(fileno(file_.get()), static_cast<off_t>(size)) != 0) {
    ThrowErrno("cannot resize log file");
  }
#endif
  size_ = size;
}

void TFileStorage::Flush() {
  if (readOnly_) return;
  if (std::fflush(file_.get()) != 0) ThrowErrno("cannot write log file");
}

}  // namespace corvane::evt
