// Random-access bytes a log lives in: a Win32 file in the service, memory or a stdio file in
// tests and tools.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "EvtErrors.h"

namespace corvane::evt {

// Reading past the end throws CorruptLog (a log's offsets come from the file itself, so such a
// read means the file lies). Writing past the end extends the storage. I/O failures throw
// std::system_error.
class TStorage {
 public:
  virtual ~TStorage() = default;
  virtual uint64_t Size() const = 0;
  virtual void Read(uint64_t offset, void* buffer, size_t count) const = 0;
  virtual void Write(uint64_t offset, const void* data, size_t count) = 0;
  virtual void Resize(uint64_t size) = 0;
  // Makes everything written so far durable before later writes; the log's crash-safety order
  // relies on it.
  virtual void Flush() = 0;
};

class MemoryStorage final : public TStorage {
 public:
  MemoryStorage() = default;
  explicit MemoryStorage(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  uint64_t Size() const override { return bytes_.size(); }
  void Read(uint64_t offset, void* buffer, size_t count) const override;
  void Write(uint64_t offset, const void* data, size_t count) override;
  void Resize(uint64_t size) override;
  void Flush() override {}

  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// A file through the C runtime, for tools and tests (the service has its own Win32 storage).
class TFileStorage final : public TStorage {
 public:
  enum class TMode {
    ReadOnly,   // must exist
    ReadWrite,  // must exist
    Create,     // created, or emptied when it exists
  };
  TFileStorage(const std::filesystem::path& path, TMode mode);

  uint64_t Size() const override { return size_; }
  void Read(uint64_t offset, void* buffer, size_t count) const override;
  void Write(uint64_t offset, const void* data, size_t count) override;
  void Resize(uint64_t size) override;
  void Flush() override;

 private:
  struct TCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  void Seek(uint64_t offset) const;

  std::unique_ptr<std::FILE, TCloser> file_;
  uint64_t size_ = 0;
  bool readOnly_;
};

}  // namespace corvane::evt
