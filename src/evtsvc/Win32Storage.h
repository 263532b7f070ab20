// A log file as the format module's Storage, through Win32 file calls. Several processes have
// the same file open at once: the size is asked of the file each time, never cached. One
// thread at a time uses an object: reads and writes move the handle's file position.
#pragma once

#include <string>

#include "EvtFile.h"
#include "Owners.h"

namespace corvane::evtsvc {

class TWin32Storage final : public evt::TStorage {
 public:
  enum class TMode {
    ReadOnly,      // must exist
    OpenOrCreate,  // read and write; created empty when missing
    CreateNew,     // read and write; fails with ERROR_ALREADY_EXISTS when it exists
  };
  TWin32Storage(const std::wstring& path, TMode mode);

  uint64_t Size() const override;
  void Read(uint64_t offset, void* buffer, size_t count) const override;
  void Write(uint64_t offset, const void* data, size_t count) override;
  void Resize(uint64_t size) override;
  void Flush() override;

 private:
  void Seek(uint64_t offset) const;

  TUniqueFile file_;
};

// Creates the folders of `path` that do not exist yet (not the last component).
void CreateParentFolders(const std::wstring& path);

}  // namespace corvane::evtsvc
