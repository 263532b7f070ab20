#include "TestSupport.h"

#include "common/FileTree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace corvane::evtsvc::test {
namespace {

const char kLogsKey[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog";

std::string BuildFolder() {
  std::string path = CORVANE_BINARY_DIR "/tests/evtsvc";
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

DWORD Dword(const uint8_t* at) {
  DWORD value;
  std::memcpy(&value, at, sizeof(value));
  return value;
}

WORD Word(const uint8_t* at) {
  WORD value;
  std::memcpy(&value, at, sizeof(value));
  return value;
}

// The zero-terminated string at `offset`, which must end before `end`.
std::string TextAt(const uint8_t* record, DWORD offset, DWORD end) {
  const auto* begin = reinterpret_cast<const char*>(record + offset);
  const void* zero = offset < end ? std::memchr(begin, 0, end - offset) : nullptr;
  EXPECT_NE(zero, nullptr) << "string at offset " << offset << " is not terminated in the record";
  if (!zero) return {};
  return std::string(begin, static_cast<const char*>(zero));
}

using corvane::testing::RemoveTree;

}  // namespace

TScratchFolder::TScratchFolder(const std::string& name)
    : path_(BuildFolder() + "\\scratch\\" + name + "." + std::to_string(GetCurrentProcessId())) {
  RemoveTree(path_);
  CreateDirectoryA((BuildFolder() + "\\scratch").c_str(), nullptr);
  EXPECT_TRUE(CreateDirectoryA(path_.c_str(), nullptr)) << path_ << ": " << GetLastError();
}

TScratchFolder::~TScratchFolder() { RemoveTree(path_); }

TScratchLog::TScratchLog(const std::string& name, const std::vector<std::string>& sources,
                       DWORD maxSize, DWORD retention)
    : name_(name), folder_(name) {
  const std::string keyPath = std::string(kLogsKey) + "\\" + name_;
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, keyPath.c_str());
  UniqueKey key;
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, key.put(), nullptr),
            ERROR_SUCCESS);
  const std::string path = file();
  RegSetValueExA(key.get(), "File", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                 static_cast<DWORD>(path.size() + 1));
  RegSetValueExA(key.get(), "MaxSize", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&maxSize),
                 sizeof(maxSize));
  RegSetValueExA(key.get(), "Retention", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&retention),
                 sizeof(retention));
  for (const std::string& source : sources) {
    UniqueKey sourceKey;
    EXPECT_EQ(RegCreateKeyExA(key.get(), source.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              sourceKey.put(), nullptr),
              ERROR_SUCCESS);
  }
}

TScratchLog::~TScratchLog() {
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(kLogsKey) + "\\" + name_).c_str());
}

std::vector<TReadRecord> ParseRecords(const uint8_t* buffer, DWORD size) {
  std::vector<TReadRecord> records;
  DWORD at = 0;
  while (at < size) {
    const uint8_t* r = buffer + at;
    if (size - at < sizeof(EVENTLOGRECORD) + 4) {
      ADD_FAILURE() << "truncated record at " << at;
      break;
    }
    TReadRecord record;
    record.length = Dword(r);
    if (record.length % 4 != 0 || record.length > size - at || record.length < sizeof(EVENTLOGRECORD) + 4) {
      ADD_FAILURE() << "bad record length " << record.length << " at " << at;
      break;
    }
    EXPECT_EQ(Dword(r + 4), 0x654c664cu) << "signature";
    EXPECT_EQ(Dword(r + record.length - 4), record.length) << "trailing length";
    record.recordNumber = Dword(r + 8);
    record.timeGenerated = Dword(r + 12);
    record.timeWritten = Dword(r + 16);
    record.eventId = Dword(r + 20);
    record.eventType = Word(r + 24);
    const WORD stringCount = Word(r + 26);
    record.eventCategory = Word(r + 28);
    const DWORD stringOffset = Dword(r + 36);
    const DWORD sidLength = Dword(r + 40);
    const DWORD sidOffset = Dword(r + 44);
    const DWORD dataLength = Dword(r + 48);
    const DWORD dataOffset = Dword(r + 52);
    const DWORD end = record.length - 4;

    record.source = TextAt(r, sizeof(EVENTLOGRECORD), end);
    const DWORD computerOffset = sizeof(EVENTLOGRECORD) + static_cast<DWORD>(record.source.size()) + 1;
    record.computer = TextAt(r, computerOffset, end);
    const DWORD namesEnd = computerOffset + static_cast<DWORD>(record.computer.size()) + 1;

    // The SID is DWORD-aligned after the names, with at least one zero padding byte.
    EXPECT_EQ(sidOffset % 4, 0u);
    EXPECT_GT(sidOffset, namesEnd);
    EXPECT_LE(sidOffset - namesEnd, 4u);
    for (DWORD i = namesEnd; i < sidOffset && i < end; ++i) EXPECT_EQ(r[i], 0) << "padding";
    EXPECT_EQ(stringOffset, sidOffset + sidLength);
    if (sidOffset + sidLength <= end) record.sid.assign(r + sidOffset, r + sidOffset + sidLength);

    DWORD text = stringOffset;
    for (WORD i = 0; i < stringCount && text < end; ++i) {
      record.strings.push_back(TextAt(r, text, end));
      text += static_cast<DWORD>(record.strings.back().size()) + 1;
    }
    EXPECT_EQ(record.strings.size(), stringCount);
    EXPECT_EQ(dataOffset, text) << "data follows the strings";
    EXPECT_LE(dataOffset + dataLength, end);
    EXPECT_LT(end - (dataOffset + dataLength), 4u) << "padding to a DWORD only";
    if (dataOffset + dataLength <= end) record.data.assign(r + dataOffset, r + dataOffset + dataLength);

    records.push_back(std::move(record));
    at += records.back().length;
  }
  return records;
}

TReadResult ReadOnce(HANDLE log, DWORD flags, DWORD recordNumber, DWORD bufferSize) {
  const TServiceLibrary& svc = TServiceLibrary::Get();
  std::vector<uint8_t> buffer(bufferSize + 1);
  TReadResult result;
  SetLastError(0);
  if (svc.ReadEventLogA(log, flags, recordNumber, buffer.data(), bufferSize, &result.bytesRead,
                        &result.bytesNeeded)) {
    result.records = ParseRecords(buffer.data(), result.bytesRead);
  } else {
    result.error = GetLastError();
  }
  return result;
}

std::vector<TReadRecord> ReadAll(HANDLE log, DWORD flags, DWORD bufferSize) {
  std::vector<TReadRecord> all;
  for (;;) {
    TReadResult result = ReadOnce(log, flags, 0, bufferSize);
    if (result.error == ERROR_INSUFFICIENT_BUFFER) {
      EXPECT_GT(result.bytesNeeded, bufferSize);
      bufferSize = result.bytesNeeded;
      continue;
    }
    if (result.error != 0) {
      EXPECT_EQ(result.error, static_cast<DWORD>(ERROR_HANDLE_EOF));
      return all;
    }
    EXPECT_FALSE(result.records.empty());
    if (result.records.empty()) return all;
    for (TReadRecord& record : result.records) all.push_back(std::move(record));
  }
}

bool Report(HANDLE log, WORD type, DWORD eventId, const std::vector<std::string>& strings,
            const std::vector<uint8_t>& data, PSID sid, WORD category) {
  std::vector<LPCSTR> pointers;
  for (const std::string& text : strings) pointers.push_back(text.c_str());
  return TServiceLibrary::Get().ReportEventA(
             log, type, category, eventId, sid, static_cast<WORD>(pointers.size()),
             static_cast<DWORD>(data.size()), pointers.empty() ? nullptr : pointers.data(),
             data.empty() ? nullptr : const_cast<uint8_t*>(data.data())) != FALSE;
}

bool ReportAs(const std::string& source, DWORD eventId, const std::vector<std::string>& strings) {
  const TServiceLibrary& svc = TServiceLibrary::Get();
  const HANDLE log = svc.RegisterEventSourceA(nullptr, source.c_str());
  if (!log) return false;
  const bool written = Report(log, EVENTLOG_INFORMATION_TYPE, eventId, strings);
  const DWORD error = GetLastError();
  svc.DeregisterEventSource(log);
  SetLastError(error);
  return written;
}

namespace {

uint32_t Stamp(DWORD eventId, WORD category, const std::vector<std::string>& strings,
               const uint8_t* tail, size_t tailSize) {
  uint32_t hash = 0x811c9dc5u;
  const auto mix = [&](const void* data, size_t size) {
    for (size_t i = 0; i < size; ++i) hash = (hash ^ static_cast<const uint8_t*>(data)[i]) * 0x01000193u;
  };
  mix(&eventId, sizeof eventId);
  mix(&category, sizeof category);
  for (const std::string& text : strings) mix(text.c_str(), text.size() + 1);
  mix(tail, tailSize);
  return hash;
}

}  // namespace

bool ReportStamped(HANDLE log, const std::string& tag, long index) {
  const DWORD eventId = 1000 + static_cast<DWORD>(index % 7);
  const WORD category = static_cast<WORD>(index % 5);
  const std::vector<std::string> strings = {
      tag, std::to_string(index), std::string(static_cast<size_t>(index * 37 % 300), static_cast<char>('a' + index % 26))};
  std::vector<uint8_t> data(4 + static_cast<size_t>(index % 50));
  for (size_t i = 4; i < data.size(); ++i) data[i] = static_cast<uint8_t>(index + static_cast<long>(i));
  const uint32_t stamp = Stamp(eventId, category, strings, data.data() + 4, data.size() - 4);
  std::memcpy(data.data(), &stamp, 4);
  return Report(log, EVENTLOG_INFORMATION_TYPE, eventId, strings, data, nullptr, category);
}

bool StampIntact(const TReadRecord& record) {
  if (record.data.size() < 4) return false;
  uint32_t stamp;
  std::memcpy(&stamp, record.data.data(), 4);
  return stamp == Stamp(record.eventId, record.eventCategory, record.strings, record.data.data() + 4,
                        record.data.size() - 4);
}

std::string LocalComputerName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof(name);
  GetComputerNameA(name, &size);
  return std::string(name, size);
}

uint32_t SecondsSince1970() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return static_cast<uint32_t>((ticks - 116444736000000000ull) / 10000000ull);
}

std::string UniqueText(const std::string& prefix) {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(counter.QuadPart);
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Contents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace corvane::evtsvc::test
