// Decoding raw 8-bit records: field values, time and type conversions, and the refusal of
// records that are cut short or point outside themselves.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "RecordBuilder.h"
#include "core/EventType.h"
#include "core/RawRecord.h"
#include "framework/OleSysError.h"

namespace corvane {
namespace {

using testing::BuildRecord;
using testing::ExactBuffer;
using testing::Put16;
using testing::Put32;
using testing::RecordFields;
namespace at = testing::at;

TRawRecord Decode(const ExactBuffer& buffer) { return DecodeRawRecord(buffer.data(), buffer.size()); }

std::vector<std::string> Texts(const TRawRecord& r) {
  return {r.Strings.begin(), r.Strings.end()};
}

// The message of the refusal, or a failure when the record was accepted.
std::string Refusal(const std::vector<uint8_t>& bytes, size_t available) {
  const ExactBuffer buffer(bytes, available);
  try {
    DecodeRawRecord(buffer.data(), buffer.size());
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode(), kSystemErrorCode);
    EXPECT_EQ(e.Message().rfind("1500: ", 0), 0u) << e.Message();
    return e.Message();
  }
  ADD_FAILURE() << "the record was accepted";
  return {};
}

std::string Refusal(const std::vector<uint8_t>& bytes) { return Refusal(bytes, bytes.size()); }

RecordFields FullRecord() {
  RecordFields f;
  f.recordNumber = 77;
  f.timeGenerated = 1587871188;
  f.timeWritten = 1587871189;
  f.eventId = 0xC0000010;
  f.eventType = 2;
  f.eventCategory = 0xFFFE;
  f.source = "WinMgmt";
  f.computer = "CHENBIN-17299A5";
  f.strings = {"HiPerfCooker_v1", "Root\\WMI"};
  f.sid = testing::LocalSystemSid();
  f.data = {0x0c, 0x14, 0x00, 0x00, 0xff};
  return f;
}

TEST(RawRecord, DecodesEveryFieldOfAFullRecord) {
  const ExactBuffer buffer(BuildRecord(FullRecord()));
  const TRawRecord r = Decode(buffer);
  EXPECT_EQ(r.Length, buffer.size());
  EXPECT_EQ(r.RecordNumber, 77u);
  EXPECT_EQ(r.TimeGenerated, 1587871188u);
  EXPECT_EQ(r.TimeWritten, 1587871189u);
  EXPECT_EQ(r.EventId, 0xC0000010u) << "all 32 bits";
  EXPECT_EQ(r.EventType, 2);
  EXPECT_EQ(r.EventCategory, 0xFFFE);
  EXPECT_EQ(r.SourceName, "WinMgmt");
  EXPECT_EQ(r.ComputerName, "CHENBIN-17299A5");
  EXPECT_EQ(Texts(r), (std::vector<std::string>{"HiPerfCooker_v1", "Root\\WMI"}));
  EXPECT_EQ(std::vector<uint8_t>(r.Sid.begin(), r.Sid.end()), testing::LocalSystemSid());
  EXPECT_EQ(std::vector<uint8_t>(r.Data.begin(), r.Data.end()), FullRecord().data);
}

TEST(RawRecord, EmptyInsertionStringsKeepTheirPlace) {
  RecordFields f;
  f.strings = {"", "second", "", "", "fifth", ""};
  const ExactBuffer buffer(BuildRecord(f));
  EXPECT_EQ(Texts(Decode(buffer)), f.strings);
}

TEST(RawRecord, NoStringsMeansTheStringOffsetIsNotLookedAt) {
  std::vector<uint8_t> bytes = BuildRecord(RecordFields{});
  Put32(bytes, at::StringOffset, 0xFFFFFFFF);
  const ExactBuffer buffer(bytes);
  const TRawRecord r = Decode(buffer);
  EXPECT_TRUE(r.Strings.empty());
  EXPECT_EQ(r.SourceName, "Source");
}

TEST(RawRecord, EmptySidAndDataIgnoreTheirOffsets) {
  std::vector<uint8_t> bytes = BuildRecord(RecordFields{});
  Put32(bytes, at::UserSidOffset, 0xFFFFFFF0);
  Put32(bytes, at::DataOffset, 3);
  const ExactBuffer buffer(bytes);
  const TRawRecord r = Decode(buffer);
  EXPECT_TRUE(r.Sid.empty());
  EXPECT_TRUE(r.Data.empty());
}

TEST(RawRecord, EmptyNamesAreNames) {
  RecordFields f;
  f.source.clear();
  f.computer.clear();
  f.strings = {"x"};
  const ExactBuffer buffer(BuildRecord(f));
  const TRawRecord r = Decode(buffer);
  EXPECT_EQ(r.SourceName, "");
  EXPECT_EQ(r.ComputerName, "");
  EXPECT_EQ(Texts(r), std::vector<std::string>{"x"});
}

TEST(RawRecord, ReadsOnlyItsOwnLengthOfALongerDelivery) {
  RecordFields first = FullRecord();
  RecordFields second;
  second.recordNumber = 78;
  second.source = "Next";
  std::vector<uint8_t> block = BuildRecord(first);
  const size_t firstLength = block.size();
  const std::vector<uint8_t> tail = BuildRecord(second);
  block.insert(block.end(), tail.begin(), tail.end());
  const ExactBuffer buffer(block);

  const TRawRecord r1 = DecodeRawRecord(buffer.data(), buffer.size());
  ASSERT_EQ(r1.Length, firstLength);
  const TRawRecord r2 = DecodeRawRecord(buffer.data() + r1.Length, buffer.size() - r1.Length);
  EXPECT_EQ(r2.RecordNumber, 78u);
  EXPECT_EQ(r2.SourceName, "Next");
}

TEST(RawRecord, AStringEndingOnTheLastByteIsAccepted) {
  // No data, no padding: the last insertion string's zero is the record's last byte.
  RecordFields f;
  f.strings = {"abc"};
  std::vector<uint8_t> bytes = BuildRecord(f);
  const uint32_t stringAt = testing::Get32(bytes, at::StringOffset);
  bytes.resize(stringAt + 4);
  Put32(bytes, at::Length, static_cast<uint32_t>(bytes.size()));
  Put32(bytes, at::DataOffset, 0);
  const ExactBuffer buffer(bytes);
  EXPECT_EQ(Texts(Decode(buffer)), std::vector<std::string>{"abc"});
}

TEST(RecordTime, ConvertsSecondsSince1970ToOleDates) {
  EXPECT_EQ(RecordTimeToDateTime(0), 25569.0);
  EXPECT_EQ(RecordTimeToDateTime(43200), 25569.5);
  EXPECT_EQ(RecordTimeToDateTime(86400), 25570.0);
  // 2106-02-07 06:28:15: unsigned, so not a date in 1969.
  const double last = RecordTimeToDateTime(0xFFFFFFFF);
  EXPECT_EQ(std::floor(last), 75279.0);
  EXPECT_NEAR((last - 75279.0) * 86400.0, 6 * 3600 + 28 * 60 + 15, 1e-3);
}

TEST(RecordTime, TheDecodedTimesAreTheRawSeconds) {
  RecordFields f;
  f.timeGenerated = 0xFFFFFFFF;
  f.timeWritten = 0x80000000;
  const ExactBuffer buffer(BuildRecord(f));
  const TRawRecord r = Decode(buffer);
  EXPECT_EQ(r.TimeGenerated, 0xFFFFFFFFu);
  EXPECT_GT(RecordTimeToDateTime(r.TimeWritten), RecordTimeToDateTime(0x7FFFFFFF));
}

TEST(EventTypes, SystemValuesMapToOrdinalsAndBack) {
  const std::pair<uint32_t, TEventType> table[] = {
      {0, TEventType::Success},       {1, TEventType::Error},
      {2, TEventType::Warning},       {4, TEventType::Information},
      {8, TEventType::AuditSuccess},  {16, TEventType::AuditFailure}};
  for (const auto& [system, ordinal] : table) {
    EXPECT_EQ(SystemToEventType(system), ordinal) << system;
    EXPECT_EQ(EventTypeToSystem(ordinal), system) << system;
  }
}

TEST(EventTypes, UnknownValuesAreSuccessAndOnlyTheLow16BitsCount) {
  for (uint32_t value : {3u, 5u, 32u, 0xFFFFu, 0x8000u}) {
    EXPECT_EQ(SystemToEventType(value), TEventType::Success) << value;
  }
  EXPECT_EQ(SystemToEventType(0x10004), TEventType::Information);
  EXPECT_EQ(SystemToEventType(0xFFFF0001), TEventType::Error);
  EXPECT_EQ(EventTypeToSystem(static_cast<TEventType>(6)), 0);
  EXPECT_EQ(EventTypeToSystem(static_cast<TEventType>(255)), 0);
}

TEST(RawRecordRefusal, CutsAtEveryByteAreRefusedWithoutReadingPastThem) {
  const std::vector<uint8_t> bytes = BuildRecord(FullRecord());
  for (size_t available = 0; available < bytes.size(); ++available) {
    SCOPED_TRACE(available);
    const std::string message = Refusal(bytes, available);
    if (available < kRawRecordFixedSize) {
      EXPECT_NE(message.find("only " + std::to_string(available) + " bytes"), std::string::npos)
          << message;
    } else {
      EXPECT_NE(message.find("only " + std::to_string(available) + " were delivered"),
                std::string::npos)
          << message;
    }
  }
  EXPECT_THROW(DecodeRawRecord(nullptr, 1000), EOleSysError);
}

TEST(RawRecordRefusal, ALengthShorterThanTheFixedPart) {
  std::vector<uint8_t> bytes = BuildRecord(RecordFields{});
  Put32(bytes, at::Length, 55);
  EXPECT_NE(Refusal(bytes).find("claims 55 bytes, fewer"), std::string::npos);
  Put32(bytes, at::Length, 0);
  Refusal(bytes);
}

TEST(RawRecordRefusal, NamesThatDoNotEndInsideTheRecord) {
  // Everything after the fixed part is text without a zero.
  std::vector<uint8_t> bytes(80, 'x');
  Put32(bytes, at::Length, 80);
  EXPECT_NE(Refusal(bytes).find("source name is not terminated"), std::string::npos);

  // The source ends on the last byte: the computer name would start outside.
  bytes.back() = 0;
  EXPECT_NE(Refusal(bytes).find("computer name starts at 80"), std::string::npos);

  bytes[70] = 0;
  bytes.back() = 'x';
  EXPECT_NE(Refusal(bytes).find("computer name is not terminated"), std::string::npos);
}

TEST(RawRecordRefusal, InsertionStringsOutsideTheRecord) {
  RecordFields f;
  f.strings = {"one", "two"};
  const std::vector<uint8_t> good = BuildRecord(f);

  std::vector<uint8_t> bytes = good;
  Put32(bytes, at::StringOffset, static_cast<uint32_t>(bytes.size()));
  EXPECT_NE(Refusal(bytes).find("insertion string 1 starts at"), std::string::npos);

  bytes = good;
  Put32(bytes, at::StringOffset, 8);
  EXPECT_NE(Refusal(bytes).find("insertion string 1 starts at 8,"), std::string::npos)
      << "the fixed part is not text";

  // More strings than the record holds: the walk runs into the padding, the trailing length
  // and then the end.
  bytes = good;
  Put16(bytes, at::NumStrings, 60000);
  EXPECT_NE(Refusal(bytes).find("insertion string"), std::string::npos);

  // The last string's zero is overwritten, with nothing after it but the trailing length.
  f.strings = {"one", "abc"};
  bytes = BuildRecord(f);
  const uint32_t stringAt = testing::Get32(bytes, at::StringOffset);
  bytes.resize(stringAt + 8);
  bytes[stringAt + 7] = 'd';
  Put32(bytes, at::Length, static_cast<uint32_t>(bytes.size()));
  EXPECT_NE(Refusal(bytes).find("insertion string 2 is not terminated"), std::string::npos);
}

TEST(RawRecordRefusal, SidAndDataOutsideTheRecord) {
  RecordFields f = FullRecord();
  const std::vector<uint8_t> good = BuildRecord(f);
  const uint32_t length = static_cast<uint32_t>(good.size());
  struct Case {
    size_t lengthAt, offsetAt;
    uint32_t size, offset;
    const char* what;
  };
  const Case cases[] = {
      {at::UserSidLength, at::UserSidOffset, 12, length - 11, "the user SID of 12 bytes"},
      {at::UserSidLength, at::UserSidOffset, 0x20, 0xFFFFFFF0, "the user SID of 32 bytes"},
      {at::UserSidLength, at::UserSidOffset, 0xFFFFFFFF, 60, "the user SID"},
      {at::UserSidLength, at::UserSidOffset, 4, 20, "the user SID of 4 bytes at 20"},
      {at::DataLength, at::DataOffset, length, 56, "the event data"},
      {at::DataLength, at::DataOffset, 1, length, "the event data of 1 bytes"},
      {at::DataLength, at::DataOffset, 0x80000000, 0x80000000, "the event data"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bytes = good;
    Put32(bytes, c.lengthAt, c.size);
    Put32(bytes, c.offsetAt, c.offset);
    const std::string message = Refusal(bytes);
    EXPECT_NE(message.find(c.what), std::string::npos) << message;
    EXPECT_NE(message.find("record 77 of " + std::to_string(length) + " bytes"),
              std::string::npos)
        << message;
  }
}

TEST(SidFitsBuffer, OnlyWholeRevisionOneSids) {
  const std::vector<uint8_t> system = testing::LocalSystemSid();
  EXPECT_TRUE(SidFitsBuffer(system.data(), system.size()));
  EXPECT_FALSE(SidFitsBuffer(system.data(), system.size() - 1));
  const std::vector<uint8_t> user = testing::DomainUserSid(500);
  EXPECT_TRUE(SidFitsBuffer(user.data(), user.size()));
  EXPECT_FALSE(SidFitsBuffer(user.data(), 8));

  std::vector<uint8_t> bad = system;
  bad[0] = 2;
  EXPECT_FALSE(SidFitsBuffer(bad.data(), bad.size()));
  bad = std::vector<uint8_t>(8 + 4 * 16, 0);
  bad[0] = 1;
  bad[1] = 16;
  EXPECT_FALSE(SidFitsBuffer(bad.data(), bad.size())) << "more sub-authorities than a SID has";
  EXPECT_FALSE(SidFitsBuffer(nullptr, 12));
}

}  // namespace
}  // namespace corvane
