#include "MsftFixups.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace corvane::tlborder {
namespace {

// Offsets inside the file's header and inside one type entry.
constexpr std::size_t kHeaderSize = 0x54;
constexpr std::size_t kVarFlags = 0x14;
constexpr std::size_t kTypeCount = 0x20;
constexpr std::uint32_t kHelpDllFlag = 0x100;
constexpr std::uint32_t kMagic = 0x5446534D;  // "MSFT"
constexpr std::size_t kSegmentEntrySize = 16;
constexpr std::size_t kTypeEntrySize = 0x64;
constexpr std::size_t kEntryVtableBytes = 0x4E;
constexpr std::size_t kEntryInstanceSize = 0x50;
constexpr std::size_t kEntryBase = 0x54;

std::uint32_t ReadU32(const std::vector<std::uint8_t>& file, std::size_t at, const char* what) {
  if (at > file.size() || file.size() - at < 4) {
    throw std::runtime_error(std::string("type library truncated at the ") + what);
  }
  std::uint32_t value;
  std::memcpy(&value, file.data() + at, 4);
  return value;
}

void Write(std::vector<std::uint8_t>& file, std::size_t at, const void* value, std::size_t size) {
  std::memcpy(file.data() + at, value, size);
}

}  // namespace

void ApplyTypeEntryFixes(std::vector<std::uint8_t>& file, const std::vector<TypeEntryFix>& fixes) {
  if (ReadU32(file, 0, "header") != kMagic) throw std::runtime_error("not a type library file");
  const std::uint64_t count = ReadU32(file, kTypeCount, "header");
  const bool helpDll = (ReadU32(file, kVarFlags, "header") & kHelpDllFlag) != 0;
  const std::uint64_t offsets = kHeaderSize + (helpDll ? 4 : 0);
  const std::uint64_t segments = offsets + count * 4;
  if (segments + kSegmentEntrySize > file.size()) {
    throw std::runtime_error("type library truncated at the type offsets");
  }
  const std::uint64_t table = ReadU32(file, static_cast<std::size_t>(segments), "segment table");
  const std::uint64_t tableLength =
      ReadU32(file, static_cast<std::size_t>(segments) + 4, "segment table");
  if (table + tableLength > file.size()) {
    throw std::runtime_error("type library truncated at the type entries");
  }

  std::vector<std::size_t> entries;
  for (const TypeEntryFix& fix : fixes) {
    if (fix.Index >= count) throw std::runtime_error("type index outside the library");
    const std::uint64_t entry =
        ReadU32(file, static_cast<std::size_t>(offsets + fix.Index * 4), "type offsets");
    if (entry + kTypeEntrySize > tableLength) {
      throw std::runtime_error("type entry outside the type table");
    }
    entries.push_back(static_cast<std::size_t>(table + entry));
  }
  // Every check passed: only now is anything written.
  for (std::size_t i = 0; i < fixes.size(); ++i) {
    const TypeEntryFix& fix = fixes[i];
    Write(file, entries[i] + kEntryVtableBytes, &fix.VtableBytes, 2);
    Write(file, entries[i] + kEntryInstanceSize, &fix.InstanceSize, 4);
    if (fix.Detach) {
      const std::int32_t none = -1;
      Write(file, entries[i] + kEntryBase, &none, 4);
    }
  }
}

}  // namespace corvane::tlborder
