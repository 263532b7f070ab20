#include "core/MessageFiles.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "core/EventMessages.h"
#include "framework/AnsiText.h"
#include "framework/WinHandle.h"

namespace corvane {
namespace {

// Larger module files are left to the system rather than read into memory whole.
constexpr uint64_t kLargestModuleFile = 64ull << 20;
// Files kept at once; beyond it the tables are dropped and read again as they are asked for.
constexpr size_t kKeptFiles = 64;

// A full path with a drive and an extension, which the loader takes as it stands: anything else
// it searches for, completes with ".dll" or rewrites ("." and ".." parts, trailing dots and
// blanks, forward slashes).
bool TakenAsItStands(const std::string& path) {
  if (path.size() < 4 || path.size() >= MAX_PATH) return false;
  const auto letter = static_cast<unsigned char>(path[0] | 0x20);
  if (letter < 'a' || letter > 'z' || path[1] != ':' || path[2] != '\\') return false;
  for (size_t start = 3;;) {
    const size_t end = std::min(path.find('\\', start), path.size());
    const std::string_view part(path.data() + start, end - start);
    if (part.empty() || part.back() == '.' || part.back() == ' ' ||
        part.find_first_of("/:*?\"<>|") != std::string_view::npos)
      return false;
    if (end == path.size()) return part.find('.') != std::string_view::npos;
    start = end + 1;
  }
}

bool ReadWhole(HANDLE file, uint64_t size, std::vector<uint8_t>& bytes) {
  bytes.resize(size);
  uint64_t done = 0;
  while (done < size) {
    DWORD read = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<uint64_t>(size - done, 1u << 24));
    if (!ReadFile(file, bytes.data() + done, chunk, &read, nullptr) || read == 0) return false;
    done += read;
  }
  return true;
}

// The whole file, or nothing when it cannot be read as the loader would open it (sharing as the
// loader shares: a file someone is writing does not open here either).
std::optional<std::vector<uint8_t>> ReadModuleFile(const std::string& path, uint64_t size) {
  if (size > kLargestModuleFile) return std::nullopt;
  const TUniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::vector<uint8_t> bytes;
  if (!file || !ReadWhole(file.get(), size, bytes)) return std::nullopt;
  return bytes;
}

// The message text as the ANSI formatter takes it: 8-bit text as it stands; UTF-16 text only
// when it comes back unchanged from the ANSI code page, since the system formats the UTF-16
// text itself (a character the code page lacks, or one it maps to a near one, could otherwise
// turn into a '%' or a '!' on the way).
std::optional<std::string> AnsiText(const TMessageTable::TEntry& entry) {
  if (entry.flags == 0) return std::string(reinterpret_cast<const char*>(entry.text.data()), entry.text.size());
  if (entry.flags != kMessageTextUnicode) return std::nullopt;
  std::wstring wide(entry.text.size() / 2, L'\0');
  std::copy(entry.text.begin(), entry.text.end(), reinterpret_cast<uint8_t*>(wide.data()));
  return ExactAnsi(wide);
}

std::vector<uint16_t> CurrentLanguageOrder() {
  return LanguageSearchOrder(LANGIDFROMLCID(GetThreadLocale()), LANGIDFROMLCID(GetUserDefaultLCID()),
                             LANGIDFROMLCID(GetSystemDefaultLCID()));
}

}  // namespace

// The way the message was found before this reader: the module loaded as data.
bool TMessageFiles::FormatThroughTheSystem(const std::string& path, const TEventItem& item, std::string& text) {
  if (keeping_ == TMessageKeeping::WhileUnchanged) {
    const TUniqueModule module = LoadMessageModule(path);
    return module && FormatEventMessage(module.get(), item, text);
  }
  auto known = loaded_.find(path);
  if (known == loaded_.end()) known = loaded_.emplace(path, LoadMessageModule(path)).first;
  return known->second && FormatEventMessage(known->second.get(), item, text);
}

TMessageFiles::TMessage TMessageFiles::Message(const TMessageTable& table, uint32_t id) {
  const std::optional<TMessageTable::TEntry> entry = table.Find(id);
  if (!entry) return {TMessage::TKind::Missing, {}};
  std::optional<std::string> ansi = AnsiText(*entry);
  if (!ansi) return {TMessage::TKind::SystemOnly, {}};
  return {TMessage::TKind::Ansi, std::move(*ansi)};
}

TMessageFiles::TFile* TMessageFiles::File(const std::string& path) {
  if (keeping_ == TMessageKeeping::ForItsLife) {
    const auto known = files_.find(path);
    if (known != files_.end()) return &known->second;
  }
  if (!TakenAsItStands(path)) return nullptr;
  const std::optional<TFileStamp> before = ReadFileStamp(path);
  if (!before) return nullptr;
  const auto known = files_.find(path);
  if (known != files_.end() && known->second.stamp == *before) return &known->second;

  if (known != files_.end()) files_.erase(known);
  const std::optional<std::vector<uint8_t>> bytes = ReadModuleFile(path, before->size);
  // A file changed while it was read is read again at the next call.
  if (!bytes || ReadFileStamp(path) != before) return nullptr;
  if (files_.size() >= kKeptFiles) files_.clear();
  return &files_.insert_or_assign(path, TFile{*before, TModuleMessages::Read(*bytes), {}}).first->second;
}

bool TMessageFiles::Format(const std::string& path, const TEventItem& item, std::string& text) {
  if (loaded_.count(path) != 0) return FormatThroughTheSystem(path, item, text);
  TFile* file = File(path);
  if (!file || file->messages.Source() == TModuleMessages::TSource::System)
    return FormatThroughTheSystem(path, item, text);
  if (file->messages.Source() == TModuleMessages::TSource::NoTable) return false;
  const TMessageTable* table = file->messages.Choose(CurrentLanguageOrder());
  if (!table) return false;
  auto known = file->texts.find({table, item.EventId()});
  if (known == file->texts.end())
    known = file->texts.emplace(std::make_pair(table, item.EventId()), Message(*table, item.EventId())).first;
  switch (known->second.kind) {
    case TMessage::TKind::Missing:
      return false;
    case TMessage::TKind::SystemOnly:
      return FormatThroughTheSystem(path, item, text);
    case TMessage::TKind::Ansi:
      break;
  }
  return FormatEventText(known->second.ansi.c_str(), item, text);
}

}  // namespace corvane
