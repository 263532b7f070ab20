// Message tables read from a module file's bytes, on modules laid out here byte by byte: what
// the reader takes, what it leaves to the system, and the table it picks for language 0.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/MessageModule.h"

namespace corvane {
namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<uint8_t>(v), b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  Put16(b, at, static_cast<uint16_t>(v)), Put16(b, at + 2, static_cast<uint16_t>(v >> 16));
}

// A table of one block holding message `id` with 8-bit `text`.
std::vector<uint8_t> Table(uint32_t id, const std::string& text) {
  std::vector<uint8_t> t(16 + 4 + (text.size() + 4) / 4 * 4, 0);  // the text, its terminator, padding
  Put32(t, 0, 1), Put32(t, 4, id), Put32(t, 8, id), Put32(t, 12, 16);
  Put16(t, 16, static_cast<uint16_t>(t.size() - 16));
  std::copy(text.begin(), text.end(), t.begin() + 20);
  return t;
}

constexpr uint32_t kSection = 0x1000;  // the resources' address; in the file at 0x200

// A 64-bit module whose only resources are message tables in the given languages, in the order
// given, and whatever `named` types come before them.
std::vector<uint8_t> Module(const std::vector<std::pair<uint16_t, std::vector<uint8_t>>>& tables,
                            const std::u16string& named = u"") {
  std::vector<uint8_t> rsrc;
  const size_t named_count = named.empty() ? 0 : 1;
  // Root: the named type (when any), then type 11; its directory, name 1; the languages.
  Put16(rsrc, 12, static_cast<uint16_t>(named_count)), Put16(rsrc, 14, 1);
  const size_t types = 16 + 8 * (named_count + 1), languages = types + 24;
  const size_t strings = languages + 16 + 8 * tables.size();
  const size_t data = strings + 2 + 2 * named.size() + 2;
  if (named_count) Put32(rsrc, 16, 0x80000000u | static_cast<uint32_t>(strings));
  Put32(rsrc, 16 + 8 * named_count, 11), Put32(rsrc, 20 + 8 * named_count, 0x80000000u | static_cast<uint32_t>(types));
  Put16(rsrc, types + 14, 1), Put32(rsrc, types + 16, 1), Put32(rsrc, types + 20, 0x80000000u | static_cast<uint32_t>(languages));
  Put16(rsrc, languages + 14, static_cast<uint16_t>(tables.size()));
  Put16(rsrc, strings, static_cast<uint16_t>(named.size()));
  for (size_t i = 0; i < named.size(); ++i) Put16(rsrc, strings + 2 + 2 * i, named[i]);
  size_t at = data + 16 * tables.size();
  for (size_t i = 0; i < tables.size(); ++i) {
    Put32(rsrc, languages + 16 + 8 * i, tables[i].first);
    Put32(rsrc, languages + 20 + 8 * i, static_cast<uint32_t>(data + 16 * i));
    Put32(rsrc, data + 16 * i, kSection + static_cast<uint32_t>(at));
    Put32(rsrc, data + 16 * i + 4, static_cast<uint32_t>(tables[i].second.size()));
    rsrc.resize(at);
    rsrc.insert(rsrc.end(), tables[i].second.begin(), tables[i].second.end());
    at = rsrc.size();
  }
  std::vector<uint8_t> file(0x200, 0);
  Put16(file, 0, 0x5A4D), Put32(file, 0x3C, 0x40), Put32(file, 0x40, 0x4550);
  Put16(file, 0x46, 1), Put16(file, 0x54, 0xF0);      // one section; optional header size
  Put16(file, 0x58, 0x20B), Put32(file, 0x58 + 60, 0x200);  // PE32+; size of headers
  Put32(file, 0x58 + 108, 16);                        // data directories
  Put32(file, 0x58 + 112 + 16, kSection), Put32(file, 0x58 + 112 + 20, static_cast<uint32_t>(rsrc.size()));
  Put32(file, 0x148 + 8, static_cast<uint32_t>(rsrc.size())), Put32(file, 0x148 + 12, kSection);
  Put32(file, 0x148 + 16, static_cast<uint32_t>(rsrc.size())), Put32(file, 0x148 + 20, 0x200);
  file.resize(0x200);
  file.insert(file.end(), rsrc.begin(), rsrc.end());
  return file;
}

std::string TextOf(const TModuleMessages& module, std::vector<uint16_t> order, uint32_t id) {
  const TMessageTable* table = module.Choose(order);
  if (!table) return "<no table>";
  const auto entry = table->Find(id);
  return entry ? std::string(entry->text.begin(), entry->text.end()) : "<no message>";
}

TEST(ModuleMessages, TheLanguageIsTheFirstOfTheSearchOrderTheModuleHasElseItsFirst) {
  const auto module = TModuleMessages::Read(Module({{0x0007, Table(5, "Hallo")}, {0x0409, Table(5, "Hello")}}));
  ASSERT_EQ(module.Source(), TModuleMessages::TSource::Tables);
  EXPECT_EQ(TextOf(module, LanguageSearchOrder(0x0409, 0x0409, 0x0409), 5), "Hello");
  EXPECT_EQ(TextOf(module, LanguageSearchOrder(0x0C07, 0x0C07, 0x040C), 5), "Hallo")
      << "an Austrian user falls back to German, the primary language";
  EXPECT_EQ(TextOf(module, {0, 0x040C}, 5), "Hallo") << "none wanted: the module's first";
  EXPECT_EQ(TextOf(module, {0x0409}, 6), "<no message>") << "the chosen table alone is searched";
  EXPECT_EQ(LanguageSearchOrder(0x0409, 0x0407, 0x0409),
            (std::vector<uint16_t>{0, 0x0409, 0x0407, 0x0007, 0x0009}));
}

TEST(ModuleMessages, WhatTheReaderCannotSpeakForIsLeftToTheSystem) {
  using S = TModuleMessages::TSource;
  auto unordered = Module({{0x0409, Table(1, "a")}, {0x0407, Table(1, "b")}});
  EXPECT_EQ(TModuleMessages::Read(unordered).Source(), S::System) << "the system halves sorted lists";
  EXPECT_EQ(TModuleMessages::Read(Module({{0x0409, Table(1, "a")}}, u"MUI")).Source(), S::System)
      << "texts in language satellites";
  EXPECT_EQ(TModuleMessages::Read(Module({{0x0409, Table(1, "a")}}, u"OTHER")).Source(), S::Tables);
  auto damaged = Table(1, "a");
  damaged[12] = 0xF0;  // the entry lies outside its table
  EXPECT_EQ(TModuleMessages::Read(Module({{0x0409, damaged}})).Source(), S::System);
  auto cut = Module({{0x0409, Table(1, "a")}});
  cut.resize(cut.size() - 4);
  EXPECT_EQ(TModuleMessages::Read(cut).Source(), S::System);
  auto noResources = Module({});
  Put32(noResources, 0x58 + 112 + 16, 0);
  EXPECT_EQ(TModuleMessages::Read(noResources).Source(), S::NoTable);
  EXPECT_EQ(TModuleMessages::Read(std::vector<uint8_t>(300, 'x')).Source(), S::System);
}

}  // namespace
}  // namespace corvane
