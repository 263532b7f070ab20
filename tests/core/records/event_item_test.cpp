// Items and their byte lists: loading from records, resetting, owning their copies of data and
// SID, copying from one another, and the byte list's bounds.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "RecordBuilder.h"
#include "core/EventItem.h"
#include "framework/OleSysError.h"

namespace corvane {
namespace {

using testing::BuildRecord;
using testing::ExactBuffer;
using testing::RecordFields;

std::vector<std::string> Texts(const TEventItem& item) {
  return {item.Strings().begin(), item.Strings().end()};
}

std::vector<uint8_t> DataOf(const TEventItem& item) {
  return item.Data() ? std::vector<uint8_t>(item.Data(), item.Data() + item.DataLength())
                     : std::vector<uint8_t>();
}

std::vector<uint8_t> SidOf(const TEventItem& item) {
  return item.Sid() ? std::vector<uint8_t>(item.Sid(), item.Sid() + item.SidLength())
                    : std::vector<uint8_t>();
}

RecordFields SampleFields() {
  RecordFields f;
  f.timeGenerated = 86400;
  f.timeWritten = 43200;
  f.eventId = 0x80000001;
  f.eventType = 16;
  f.eventCategory = 9;
  f.source = "Src";
  f.computer = "PC";
  f.strings = {"a", "", "c"};
  f.sid = testing::DomainUserSid(1003);
  f.data = {1, 2, 3};
  return f;
}

void Load(TEventItem& item, const RecordFields& f) {
  const ExactBuffer buffer(BuildRecord(f));
  item.LoadFromRecord(buffer.data(), buffer.size());
}

TEST(EventItem, LoadsARecordIntoItsOwnCopies) {
  TEventItem item(nullptr);
  item.SetNumber(12);
  Load(item, SampleFields());  // the record's buffer is gone afterwards
  EXPECT_EQ(item.Number(), 12) << "the reader numbers items, not the record";
  EXPECT_EQ(item.TimeGenerated(), 25570.0);
  EXPECT_EQ(item.TimeWritten(), 25569.5);
  EXPECT_EQ(item.EventId(), 0x80000001u);
  EXPECT_EQ(item.EventType(), TEventType::AuditFailure);
  EXPECT_EQ(item.EventCategory(), 9);
  EXPECT_EQ(item.SourceName(), "Src");
  EXPECT_EQ(item.ComputerName(), "PC");
  EXPECT_EQ(Texts(item), (std::vector<std::string>{"a", "", "c"}));
  EXPECT_EQ(DataOf(item), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(SidOf(item), testing::DomainUserSid(1003));
  EXPECT_EQ(item.DataBytes().Count(), 3);
}

std::vector<std::string> ReadInPlace(const TEventItem& item) {
  std::vector<std::string> texts;
  for (int i = 0; i < item.StringCount(); ++i) texts.emplace_back(item.StringAt(i));
  return texts;
}

TEST(EventItem, StringsReadBackAsLoadedInPlaceAndThenAsTheListHandedOut) {
  // Empty strings first and last, one too long to be held in place, code page 936 text whose
  // trail bytes include '\\' and '|'.
  const std::vector<std::string> texts = {"", "\xD6\xD0\xCE\xC4\x95\x5C\x83\x7C",
                                          std::string(300, 'x'), "ok", ""};
  RecordFields f;
  f.strings = texts;
  TEventItem item(nullptr);
  Load(item, f);
  EXPECT_EQ(ReadInPlace(item), texts);
  EXPECT_EQ(item.StringAt(1).data()[item.StringAt(1).size()], '\0') << "a C string";
  EXPECT_THROW(item.StringAt(5), EOleSysError);
  EXPECT_THROW(item.StringAt(-1), EOleSysError);

  TStringList& list = item.Strings();
  EXPECT_EQ(Texts(item), texts);
  list.Put(1, "changed");
  EXPECT_EQ(item.StringAt(1), "changed") << "the list handed out is the one truth";
  Load(item, SampleFields());
  EXPECT_EQ(&item.Strings(), &list) << "a list handed out stays valid";
  EXPECT_EQ(ReadInPlace(item), (std::vector<std::string>{"a", "", "c"}));
}

TEST(EventItem, AssignCopiesStringsBetweenPackedItemsAndListsHandedOut) {
  TEventItem source(nullptr);
  source.Strings().Add(std::string("nul\0inside", 10));
  source.Strings().Add("b");
  TEventItem packed(nullptr);
  packed.Assign(source);
  EXPECT_EQ(ReadInPlace(packed), (std::vector<std::string>{std::string("nul\0inside", 10), "b"}));

  TEventItem sorted(nullptr);
  sorted.Strings().SetSorted(true);
  Load(source, SampleFields());
  sorted.Assign(source);
  EXPECT_EQ(Texts(sorted), (std::vector<std::string>{"", "a", "c"})) << "filed in its own order";
  packed.Assign(sorted);
  EXPECT_EQ(ReadInPlace(packed), (std::vector<std::string>{"", "a", "c"}));
}

TEST(EventItem, UnknownRecordTypesLoadAsSuccess) {
  for (uint16_t type : {3, 32}) {
    TEventItem item(nullptr);
    RecordFields f;
    f.eventType = type;
    Load(item, f);
    EXPECT_EQ(item.EventType(), TEventType::Success) << type;
    EXPECT_EQ(EventTypeToSystem(item.EventType()), 0) << "written back as success";
  }
}

TEST(EventItem, ALoadReplacesEverythingThePreviousRecordLeft) {
  TEventItem item(nullptr);
  Load(item, SampleFields());
  Load(item, RecordFields{});
  EXPECT_TRUE(Texts(item).empty());
  EXPECT_EQ(item.DataLength(), 0);
  EXPECT_EQ(item.Data(), nullptr);
  EXPECT_EQ(item.SidLength(), 0);
  EXPECT_EQ(item.Sid(), nullptr);
  EXPECT_EQ(item.EventType(), TEventType::Information);
}

TEST(EventItem, ARefusedRecordLeavesTheItemAsItWas) {
  TEventItem item(nullptr);
  Load(item, SampleFields());
  std::vector<uint8_t> bad = BuildRecord(RecordFields{});
  testing::Put32(bad, testing::at::DataLength, 1000);
  const ExactBuffer buffer(bad);
  EXPECT_THROW(item.LoadFromRecord(buffer.data(), buffer.size()), EOleSysError);
  EXPECT_EQ(item.SourceName(), "Src");
  EXPECT_EQ(Texts(item), (std::vector<std::string>{"a", "", "c"}));
  EXPECT_EQ(DataOf(item), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(SidOf(item), testing::DomainUserSid(1003));
}

TEST(EventItem, ResetEmptiesTheEventButKeepsItsNumber) {
  TEventItem item(nullptr);
  Load(item, SampleFields());
  item.SetNumber(5);
  item.Reset();
  EXPECT_EQ(item.Number(), 5);
  EXPECT_EQ(item.TimeGenerated(), 0.0);
  EXPECT_EQ(item.TimeWritten(), 0.0);
  EXPECT_EQ(item.EventId(), 0u);
  EXPECT_EQ(item.EventType(), TEventType::Success);
  EXPECT_EQ(item.EventCategory(), 0);
  EXPECT_TRUE(Texts(item).empty());
  EXPECT_EQ(item.SourceName(), "");
  EXPECT_EQ(item.ComputerName(), "");
  EXPECT_EQ(item.Data(), nullptr);
  EXPECT_EQ(item.Sid(), nullptr);
  EXPECT_EQ(item.DataLength(), 0);
  EXPECT_EQ(item.SidLength(), 0);
}

TEST(EventItem, SetDataAndSetSidKeepCopiesOfTheirOwn) {
  TEventItem item(nullptr);
  std::vector<uint8_t> bytes = {9, 8, 7, 6};
  item.SetData(bytes.data(), 4);
  item.SetSid(bytes.data(), 3);
  bytes[0] = 0;
  EXPECT_EQ(DataOf(item), (std::vector<uint8_t>{9, 8, 7, 6}));
  EXPECT_EQ(SidOf(item), (std::vector<uint8_t>{9, 8, 7}));
  EXPECT_NE(item.Data(), item.Sid());

  // From the item's own bytes: copied before the old buffer goes.
  item.SetData(item.Data() + 1, 3);
  EXPECT_EQ(DataOf(item), (std::vector<uint8_t>{8, 7, 6}));
  item.SetSid(item.Sid(), item.SidLength());
  EXPECT_EQ(SidOf(item), (std::vector<uint8_t>{9, 8, 7}));

  for (int32_t none : {0, -1, INT_MIN}) {
    item.SetData(bytes.data(), none);
    EXPECT_EQ(item.Data(), nullptr);
    EXPECT_EQ(item.DataLength(), 0);
  }
  item.SetSid(nullptr, 0);
  EXPECT_EQ(item.Sid(), nullptr);
  EXPECT_EQ(item.SidLength(), 0);
}

TEST(EventItem, ALengthWithoutBytesIsRefused) {
  TEventItem item(nullptr);
  item.SetData("\x01\x02", 2);
  EXPECT_THROW(item.SetData(nullptr, 5), EOleSysError);
  EXPECT_THROW(item.SetSid(nullptr, 12), EOleSysError);
  EXPECT_EQ(DataOf(item), (std::vector<uint8_t>{1, 2})) << "a refused call changes nothing";
}

TEST(EventItem, AssignMakesIndependentCopies) {
  TEventItem source(nullptr);
  Load(source, SampleFields());
  source.SetNumber(41);
  TEventItem copy(nullptr);
  copy.Assign(source);

  EXPECT_EQ(copy.Number(), 41);
  EXPECT_EQ(copy.TimeGenerated(), source.TimeGenerated());
  EXPECT_EQ(copy.TimeWritten(), source.TimeWritten());
  EXPECT_EQ(copy.EventId(), source.EventId());
  EXPECT_EQ(copy.EventType(), source.EventType());
  EXPECT_EQ(copy.EventCategory(), 9);
  EXPECT_EQ(copy.SourceName(), "Src");
  EXPECT_EQ(copy.ComputerName(), "PC");
  EXPECT_NE(copy.Data(), source.Data());
  EXPECT_NE(copy.Sid(), source.Sid());

  source.Strings().Put(0, "changed");
  source.Strings().Add("more");
  source.DataBytes().SetItem(0, 0xEE);
  source.DataBytes().Add(4);
  source.SetSid(testing::LocalSystemSid().data(), 12);
  source.SetSourceName("Other");

  EXPECT_EQ(Texts(copy), (std::vector<std::string>{"a", "", "c"}));
  EXPECT_EQ(DataOf(copy), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(SidOf(copy), testing::DomainUserSid(1003));
  EXPECT_EQ(copy.SourceName(), "Src");
}

TEST(EventItem, AssignFromAnotherClassOrItselfChangesNothing) {
  TEventItem item(nullptr);
  Load(item, SampleFields());
  TStringList other{"x"};
  EXPECT_NO_THROW(item.Assign(other));
  EXPECT_NO_THROW(item.Assign(item));
  EXPECT_EQ(Texts(item), (std::vector<std::string>{"a", "", "c"}));
  EXPECT_EQ(DataOf(item), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(item.SourceName(), "Src");
}

TEST(ByteList, AddGrowsOneByteAtATimeKeepingTheEarlierOnes) {
  TEventItem item(nullptr);
  TByteList& bytes = item.DataBytes();
  bytes.Add(0x5A);
  EXPECT_EQ(bytes.Count(), 1);
  EXPECT_EQ(bytes.Item(0), 0x5A);
  for (uint8_t b = 0; b < 100; ++b) bytes.Add(b);
  ASSERT_EQ(bytes.Count(), 101);
  EXPECT_EQ(item.DataLength(), 101);
  EXPECT_EQ(bytes.Item(0), 0x5A);
  for (int i = 1; i <= 100; ++i) EXPECT_EQ(bytes.Item(i), i - 1);

  bytes.SetItem(50, 0xFF);
  EXPECT_EQ(item.Data()[50], 0xFF) << "written in place in the item's data";
  EXPECT_EQ(bytes.Count(), 101);

  bytes.Clear();
  EXPECT_EQ(bytes.Count(), 0);
  EXPECT_EQ(item.Data(), nullptr);

  // Data put in place another way is grown anew, never written past its end.
  bytes.Add(7);
  item.SetData("\x01\x02", 2);
  bytes.Add(3);
  EXPECT_EQ(DataOf(item), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(ByteList, IndexesOutsideTheDataAreRefused) {
  TEventItem item(nullptr);
  TByteList& bytes = item.DataBytes();
  EXPECT_THROW(bytes.Item(0), EOleSysError) << "no data at all";
  item.SetData("\x01\x02\x03", 3);
  for (int32_t index : {-1, 3, 4, INT_MIN, INT_MAX}) {
    SCOPED_TRACE(index);
    try {
      bytes.Item(index);
      ADD_FAILURE() << "read was allowed";
    } catch (const EOleSysError& e) {
      EXPECT_EQ(e.Message(), "List index out of bounds (" + std::to_string(index) + ")");
    }
    EXPECT_THROW(bytes.SetItem(index, 0xAA), EOleSysError);
  }
  EXPECT_EQ(DataOf(item), (std::vector<uint8_t>{1, 2, 3}));
}

// Stands in for an automation wrapper: counts the references the slot takes and notes when it
// is told that its object went.
struct FakeWrapper : IAdapterLink {
  void LinkAddRef() noexcept override { ++refs; }
  void LinkRelease() noexcept override { --refs; }
  void WrappedGone() noexcept override { gone = true; }
  int refs = 1;
  bool gone = false;
};

TEST(EventItem, KeepsItsWrappersUntilItGoesAndThenTellsThem) {
  FakeWrapper itemWrapper, bytesWrapper;
  {
    TEventItem item(nullptr);
    item.Adapter().Set(&itemWrapper);
    item.DataBytes().Adapter().Set(&bytesWrapper);
    item.Reset();
    EXPECT_EQ(item.Adapter().Get(), &itemWrapper) << "Reset keeps the wrapper";
    EXPECT_EQ(itemWrapper.refs, 2);
    EXPECT_EQ(bytesWrapper.refs, 2);
    EXPECT_FALSE(itemWrapper.gone || bytesWrapper.gone);
  }
  EXPECT_TRUE(itemWrapper.gone);
  EXPECT_TRUE(bytesWrapper.gone);
  EXPECT_EQ(itemWrapper.refs, 1);
  EXPECT_EQ(bytesWrapper.refs, 1);
}

}  // namespace
TEST(PooledString, EqualTextsShareOneCopyThatOutlivesEveryHolderButTheLast) {
  TPooledString first("CHENBIN-17299A5");
  TPooledString second(std::string("CHENBIN-17299A5"));
  EXPECT_EQ(&first.Get(), &second.Get()) << "one pooled copy";
  TPooledString other("another computer");
  EXPECT_NE(&first.Get(), &other.Get());
  {
    TPooledString copy = first;
    first = TPooledString();
    EXPECT_TRUE(first.Empty());
    EXPECT_EQ(first.Get(), "");
    EXPECT_EQ(copy.Get(), "CHENBIN-17299A5");
  }
  EXPECT_EQ(second.Get(), "CHENBIN-17299A5") << "still held by the last holder";
  TPooledString moved = std::move(second);
  EXPECT_EQ(moved.Get(), "CHENBIN-17299A5");
  EXPECT_TRUE(TPooledString("").Empty()) << "the empty text is never pooled";
}

TEST(PooledString, ItemsKeepTheirNamesWhenOthersChangeTheirs) {
  TEventItem a(nullptr), b(nullptr);
  a.SetSourceName("Disk");
  b.SetSourceName("Disk");
  b.SetSourceName("Tcpip");
  EXPECT_EQ(a.SourceName(), "Disk");
  EXPECT_EQ(b.SourceName(), "Tcpip");
  b.Assign(a);
  a.SetSourceName("Other");
  EXPECT_EQ(b.SourceName(), "Disk");
}

}  // namespace corvane
