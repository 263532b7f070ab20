#include "core/MessageModule.h"

#include <algorithm>
#include <string_view>

#include "framework/OleSysError.h"

namespace corvane {
namespace {

constexpr uint16_t kDosSignature = 0x5A4D;       // "MZ"
constexpr uint32_t kPeSignature = 0x00004550;    // "PE\0\0"
constexpr uint16_t kOptionalHeader32 = 0x010B;
constexpr uint16_t kOptionalHeader64 = 0x020B;
constexpr uint32_t kResourceDirectory = 2;       // index in the data directories
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kDirectorySize = 16;            // resource directory header
constexpr size_t kDirectoryEntrySize = 8;
constexpr size_t kDataEntrySize = 16;
constexpr uint32_t kHighBit = 0x80000000;        // name is a string / entry is a directory
constexpr uint16_t kMessageTableType = 11;
constexpr uint16_t kMessageTableName = 1;

constexpr uint16_t kEnglishUnitedStates = 0x0409;
constexpr uint16_t Primary(uint16_t language) { return language & 0x3FF; }

// The module is not one this reader can speak for; the system reads it.
struct TLeaveToSystem {};
// The module has no message-table resource.
struct TNoTable {};

class TFileBytes {
 public:
  explicit TFileBytes(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  // Refuses any read that does not lie wholly inside the file; 64-bit sums cannot wrap.
  void Require(uint64_t offset, uint64_t count) const {
    if (offset > bytes_.size() || count > bytes_.size() - offset) throw TLeaveToSystem{};
  }
  uint16_t U16(uint64_t offset) const {
    Require(offset, 2);
    const uint8_t* p = bytes_.data() + offset;
    return static_cast<uint16_t>(p[0] | p[1] << 8);
  }
  uint32_t U32(uint64_t offset) const {
    Require(offset, 4);
    const uint8_t* p = bytes_.data() + offset;
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
  }
  std::vector<uint8_t> Copy(uint64_t offset, uint64_t count) const {
    Require(offset, count);
    const auto begin = bytes_.begin() + static_cast<std::ptrdiff_t>(offset);
    return std::vector<uint8_t>(begin, begin + static_cast<std::ptrdiff_t>(count));
  }

 private:
  std::span<const uint8_t> bytes_;
};

// The parts of the headers the resources are found through.
struct THeaders {
  uint32_t sizeOfHeaders = 0;
  uint32_t resourceAddress = 0;
  uint64_t sections = 0;  // file offset of the section table
  uint16_t sectionCount = 0;
};

THeaders ReadHeaders(const TFileBytes& file) {
  if (file.U16(0) != kDosSignature) throw TLeaveToSystem{};
  const uint64_t nt = file.U32(0x3C);
  if (file.U32(nt) != kPeSignature) throw TLeaveToSystem{};
  const uint64_t fileHeader = nt + 4;
  const uint64_t optional = fileHeader + 20;
  const uint16_t optionalSize = file.U16(fileHeader + 16);
  uint64_t directoryCount = 0, directories = 0;
  switch (file.U16(optional)) {
    case kOptionalHeader32:
      directoryCount = optional + 92, directories = optional + 96;
      break;
    case kOptionalHeader64:
      directoryCount = optional + 108, directories = optional + 112;
      break;
    default:
      throw TLeaveToSystem{};
  }
  THeaders headers;
  headers.sizeOfHeaders = file.U32(optional + 60);
  headers.sectionCount = file.U16(fileHeader + 2);
  headers.sections = optional + optionalSize;
  file.Require(headers.sections, uint64_t{headers.sectionCount} * kSectionHeaderSize);
  if (file.U32(directoryCount) <= kResourceDirectory) throw TNoTable{};
  const uint64_t resource = directories + 8 * kResourceDirectory;
  if (resource + 8 > optional + optionalSize) throw TLeaveToSystem{};
  headers.resourceAddress = file.U32(resource);
  if (headers.resourceAddress == 0) throw TNoTable{};
  if (file.U32(resource + 4) < kDirectorySize) throw TLeaveToSystem{};
  return headers;
}

// The file offset of a relative virtual address: in the first section whose raw data holds it.
uint64_t FileOffset(const TFileBytes& file, const THeaders& headers, uint32_t address) {
  for (uint16_t i = 0; i < headers.sectionCount; ++i) {
    const uint64_t section = headers.sections + uint64_t{i} * kSectionHeaderSize;
    const uint32_t virtualAddress = file.U32(section + 12);
    const uint32_t rawSize = file.U32(section + 16);
    const uint32_t rawOffset = file.U32(section + 20);
    if (virtualAddress <= address && uint64_t{virtualAddress} + rawSize > address)
      return uint64_t{rawOffset} + (address - virtualAddress);
  }
  throw TLeaveToSystem{};
}

struct TDirectoryEntry {
  uint32_t name;
  uint32_t offset;  // from the resource root; the high bit marks a directory
};

// The identifier entries of the directory at `at`, which must be in strictly rising order (the
// system searches them by halving). Named entries are allowed only where `namesAllowed`.
std::vector<TDirectoryEntry> IdEntries(const TFileBytes& file, uint64_t at, bool namesAllowed,
                                       std::vector<TDirectoryEntry>* named = nullptr) {
  const uint16_t namedCount = file.U16(at + 12);
  const uint16_t idCount = file.U16(at + 14);
  if (namedCount != 0 && !namesAllowed) throw TLeaveToSystem{};
  file.Require(at + kDirectorySize, (uint64_t{namedCount} + idCount) * kDirectoryEntrySize);
  std::vector<TDirectoryEntry> entries;
  for (uint32_t i = 0; i < uint32_t{namedCount} + idCount; ++i) {
    const uint64_t entry = at + kDirectorySize + uint64_t{i} * kDirectoryEntrySize;
    const TDirectoryEntry read{file.U32(entry), file.U32(entry + 4)};
    if (i < namedCount) {
      if (!(read.name & kHighBit)) throw TLeaveToSystem{};
      if (named) named->push_back(read);
      continue;
    }
    if (read.name > 0xFFFF) throw TLeaveToSystem{};
    if (!entries.empty() && entries.back().name >= read.name) throw TLeaveToSystem{};
    entries.push_back(read);
  }
  return entries;
}

// The directory below the entry with identifier `id`; TNoTable when there is none.
uint64_t Subdirectory(const std::vector<TDirectoryEntry>& entries, uint32_t id, uint64_t root) {
  for (const TDirectoryEntry& entry : entries) {
    if (entry.name != id) continue;
    if (!(entry.offset & kHighBit)) throw TLeaveToSystem{};
    return root + (entry.offset & ~kHighBit);
  }
  throw TNoTable{};
}

// Whether a named type is the one that hands a module's resources to language satellites.
bool IsSatelliteType(const TFileBytes& file, uint64_t root, const TDirectoryEntry& entry) {
  const uint64_t at = root + (entry.name & ~kHighBit);
  const uint16_t length = file.U16(at);
  if (length != 3) return false;
  std::string_view expected = "MUI";
  for (uint16_t i = 0; i < length; ++i) {
    const uint16_t c = file.U16(at + 2 + 2 * uint64_t{i});
    if (c != static_cast<uint8_t>(expected[i]) && c != static_cast<uint8_t>(expected[i] + 0x20))
      return false;
  }
  return true;
}

}  // namespace

TModuleMessages TModuleMessages::Read(std::span<const uint8_t> bytes) {
  TModuleMessages module;
  const TFileBytes file(bytes);
  try {
    const THeaders headers = ReadHeaders(file);
    // The system takes a root inside the headers as it stands, any other through the sections.
    const uint64_t root = headers.resourceAddress < headers.sizeOfHeaders
                              ? headers.resourceAddress
                              : FileOffset(file, headers, headers.resourceAddress);
    std::vector<TDirectoryEntry> namedTypes;
    const std::vector<TDirectoryEntry> types = IdEntries(file, root, true, &namedTypes);
    for (const TDirectoryEntry& type : namedTypes)
      if (IsSatelliteType(file, root, type)) throw TLeaveToSystem{};
    const uint64_t names = Subdirectory(types, kMessageTableType, root);
    const uint64_t languages = Subdirectory(IdEntries(file, names, true), kMessageTableName, root);
    for (const TDirectoryEntry& language : IdEntries(file, languages, false)) {
      if (language.offset & kHighBit) throw TLeaveToSystem{};
      const uint64_t data = root + language.offset;
      file.Require(data, kDataEntrySize);
      const uint64_t offset = FileOffset(file, headers, file.U32(data));
      module.languages_.push_back(
          {static_cast<uint16_t>(language.name), TMessageTable(file.Copy(offset, file.U32(data + 4)))});
    }
    module.source_ = TSource::Tables;
  } catch (const TNoTable&) {
    module.languages_.clear();
    module.source_ = TSource::NoTable;
  } catch (const TLeaveToSystem&) {
    module.languages_.clear();
  } catch (const EOleSysError&) {
    // A damaged table: the system decides what becomes of it.
    module.languages_.clear();
  }
  return module;
}

const TMessageTable* TModuleMessages::Choose(std::span<const uint16_t> order) const {
  for (uint16_t wanted : order) {
    for (const TLanguage& language : languages_)
      if (language.language == wanted) return &language.table;
  }
  return languages_.empty() ? nullptr : &languages_.front().table;
}

std::vector<uint16_t> LanguageSearchOrder(uint16_t thread, uint16_t user, uint16_t system) {
  std::vector<uint16_t> order;
  for (uint16_t language :
       {uint16_t{0}, thread, user, Primary(user), system, Primary(system), kEnglishUnitedStates}) {
    if (std::find(order.begin(), order.end(), language) == order.end()) order.push_back(language);
  }
  return order;
}

}  // namespace corvane
