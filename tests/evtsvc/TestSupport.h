// What the service tests share: logs of their own (a registry key whose "File" points into a
// private folder below the build tree, removed again afterwards), writing events, and reading
// records back out of 8-bit read buffers with every offset checked.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Owners.h"
#include "ServiceLibrary.h"

namespace corvane::evtsvc::test {

// Closes an event-log handle of the service.
struct TLogHandleTraits {
  static HANDLE Invalid() noexcept { return nullptr; }
  static void Close(HANDLE handle) noexcept { TServiceLibrary::Get().CloseEventLog(handle); }
};
using TUniqueLog = TUniqueResource<HANDLE, TLogHandleTraits>;

// A private folder below the build tree, emptied and removed at the end.
class TScratchFolder {
 public:
  explicit TScratchFolder(const std::string& name);
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;
  ~TScratchFolder();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// A log of the test's own, with its sources, its file in a scratch folder.
class TScratchLog {
 public:
  TScratchLog(const std::string& name, const std::vector<std::string>& sources,
             DWORD maxSize = 512 * 1024, DWORD retention = 0);
  TScratchLog(const TScratchLog&) = delete;
  TScratchLog& operator=(const TScratchLog&) = delete;
  ~TScratchLog();

  const std::string& name() const { return name_; }
  const TScratchFolder& folder() const { return folder_; }
  std::string file() const { return folder_.File(name_ + ".evt"); }

 private:
  std::string name_;
  TScratchFolder folder_;
};

// One record of a read buffer.
struct TReadRecord {
  DWORD length = 0;
  DWORD recordNumber = 0;
  DWORD timeGenerated = 0;
  DWORD timeWritten = 0;
  DWORD eventId = 0;
  WORD eventType = 0;
  WORD eventCategory = 0;
  std::string source;
  std::string computer;
  std::vector<std::string> strings;
  std::vector<uint8_t> sid;
  std::vector<uint8_t> data;
};

// Splits a read buffer into records, checking the layout the system's A function produces
// (failures are reported to the running test).
std::vector<TReadRecord> ParseRecords(const uint8_t* buffer, DWORD size);

// Reads with `flags` until the end of the log, growing the buffer when a record needs it.
std::vector<TReadRecord> ReadAll(HANDLE log, DWORD flags, DWORD bufferSize = 16384);

// Reads once; on failure `error` is the last error (0 on success).
struct TReadResult {
  DWORD error = 0;
  DWORD bytesRead = 0;
  DWORD bytesNeeded = 0;
  std::vector<TReadRecord> records;
};
TReadResult ReadOnce(HANDLE log, DWORD flags, DWORD recordNumber, DWORD bufferSize);

// Writes an event; false with the last error kept on failure.
bool Report(HANDLE log, WORD type, DWORD eventId, const std::vector<std::string>& strings,
            const std::vector<uint8_t>& data = {}, PSID sid = nullptr, WORD category = 0);

// Registers `source` and writes one event with the given strings.
bool ReportAs(const std::string& source, DWORD eventId, const std::vector<std::string>& strings);

// Writes event `index` of a series tagged `tag`: its size, identifier and category vary with the
// index, and its data starts with a checksum of everything else it holds, so that a reader can
// tell a whole record from one pieced together from two states of the log.
bool ReportStamped(HANDLE log, const std::string& tag, long index);
// Whether `record` is whole as ReportStamped wrote it.
bool StampIntact(const TReadRecord& record);

std::string LocalComputerName();
uint32_t SecondsSince1970();
// A marker no earlier run can have written.
std::string UniqueText(const std::string& prefix);
bool FileExists(const std::string& path);
// A file's bytes, and a file made to hold exactly `bytes`.
std::string Contents(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

}  // namespace corvane::evtsvc::test
