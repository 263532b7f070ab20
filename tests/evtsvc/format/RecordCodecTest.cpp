// The on-disk event record: what EncodeRecord writes and what DecodeRecord accepts.
#include <gtest/gtest.h>

#include "EvtBytes.h"
#include "EvtFile.h"
#include "EvtTestSupport.h"

namespace corvane::evt {
namespace {

using bytes::Load32;
using bytes::Store32;
using test::MakeRecord;

const std::string kSample = std::string(CORVANE_SHARED_DIR) + "/data/AppEvent.Evt";

Record Decode(const std::vector<uint8_t>& bytes) { return DecodeRecord(bytes.data(), bytes.size()); }

TEST(RecordCodec, RoundTripKeepsEveryField) {
  for (uint32_t seed = 0; seed < 12; ++seed) {
    Record record = MakeRecord(seed, seed * 3);
    record.recordNumber = 77 + seed;
    record.reservedFlags = 3;
    record.closingRecordNumber = 9;
    record.strings.push_back(u"");  // an empty string is still a string
    record.strings.push_back(u"\U0001F600 outside the BMP");
    EXPECT_EQ(Decode(EncodeRecord(record)), record) << "seed " << seed;
  }
}

// A reader reuses one Record for many records: nothing of a longer or fuller record before may
// be left in a shorter or emptier one after it.
TEST(RecordCodec, DecodingIntoAUsedRecordLeavesNothingOfTheOldOne) {
  Record full = MakeRecord(1, 5);
  full.sid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
  full.data = {1, 2, 3};
  full.strings = {u"a longer first string", u"second", u"third"};
  full.sourceName = u"A rather long source name";
  Record empty = MakeRecord(2);
  empty.sid.clear();
  empty.data.clear();
  empty.strings = {u"x"};
  empty.sourceName = u"S";
  empty.computerName = u"";

  Record reused;
  const auto fullBytes = EncodeRecord(full);
  const auto emptyBytes = EncodeRecord(empty);
  DecodeRecord(fullBytes.data(), fullBytes.size(), reused);
  EXPECT_EQ(reused, full);
  DecodeRecord(emptyBytes.data(), emptyBytes.size(), reused);
  EXPECT_EQ(reused, empty);
  empty.strings.clear();
  const auto noStrings = EncodeRecord(empty);
  DecodeRecord(noStrings.data(), noStrings.size(), reused);
  EXPECT_EQ(reused, empty);
  DecodeRecord(fullBytes.data(), fullBytes.size(), reused);
  EXPECT_EQ(reused, full);
}

TEST(RecordCodec, LayoutFollowsTheSystem) {
  Record record = MakeRecord(2);  // no SID
  record.sourceName = u"Src";     // names end at 56 + 8 + 10 = 74, not on a DWORD
  auto bytes = EncodeRecord(record);
  EXPECT_EQ(Load32(&bytes[4]), kRecordSignature);
  EXPECT_EQ(bytes.size() % 4, 0u);
  EXPECT_EQ(Load32(&bytes[0]), bytes.size());
  EXPECT_EQ(Load32(&bytes[bytes.size() - 4]), bytes.size()) << "trailing length";
  EXPECT_EQ(Load32(&bytes[44]), 74u) << "without a SID its offset is where the strings begin";
  EXPECT_EQ(Load32(&bytes[36]), 74u);

  record.sid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
  bytes = EncodeRecord(record);
  EXPECT_EQ(Load32(&bytes[44]), 74u) << "the SID starts where the names end, off a DWORD too";
  EXPECT_EQ(Load32(&bytes[40]), 12u);
  EXPECT_EQ(Load32(&bytes[36]), 86u);

  // Files written before put the SID on a DWORD, two zero bytes after the names: the offsets
  // say so, and the record reads the same.
  std::vector<uint8_t> padded(bytes.begin(), bytes.begin() + 74);
  padded.insert(padded.end(), 2, 0);
  padded.insert(padded.end(), bytes.begin() + 74, bytes.begin() + Load32(&bytes[52]) + Load32(&bytes[48]));
  padded.resize(padded.size() + 4 - padded.size() % 4 + 4);
  for (size_t field : {36, 44, 52}) Store32(&padded[field], Load32(&bytes[field]) + 2);
  Store32(&padded[0], static_cast<uint32_t>(padded.size()));
  Store32(&padded[padded.size() - 4], static_cast<uint32_t>(padded.size()));
  EXPECT_EQ(Decode(padded), record);
}

// Every record of the sample, with a SID or without, comes out byte for byte as the system
// wrote it, padding included.
TEST(RecordCodec, ReencodedSampleRecordsMatchTheFile) {
  TFileStorage storage(kSample, TFileStorage::TMode::ReadOnly);
  auto log = TLogFile::Open(storage, true);
  int compared = 0;
  int withSid = 0;
  for (uint32_t n = log->OldestRecordNumber(); n < log->header().currentRecordNumber; ++n) {
    const auto stored = log->RecordBytes(n);
    const Record record = Decode(stored);
    withSid += !record.sid.empty();
    EXPECT_EQ(EncodeRecord(record), stored) << "record " << n;
    ++compared;
  }
  EXPECT_EQ(compared, 121);
  EXPECT_EQ(withSid, 9);
}

// Each damage, applied to a valid record, must be refused.
TEST(RecordCodec, DecodeRefusesInconsistentRecords) {
  Record record = MakeRecord(5, 8);
  record.sid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
  const auto good = EncodeRecord(record);
  const size_t size = good.size();
  struct TDamage {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> apply;
  };
  const TDamage damages[] = {
      {"leading length", [](auto& b) { Store32(&b[0], Load32(&b[0]) + 4); }},
      {"trailing length", [&](auto& b) { Store32(&b[size - 4], 8); }},
      {"signature", [](auto& b) { b[4] ^= 1; }},
      {"SID past the end", [&](auto& b) { Store32(&b[40], static_cast<uint32_t>(size)); }},
      {"SID length overflowing", [](auto& b) { Store32(&b[40], 0xFFFFFFF0u); }},
      {"SID inside the names", [](auto& b) { Store32(&b[44], 56); }},
      {"data past the end", [&](auto& b) { Store32(&b[52], static_cast<uint32_t>(size - 6)); }},
      {"data offset huge", [](auto& b) { Store32(&b[52], 0xFFFFFFFFu); }},
      {"strings past the end", [&](auto& b) { Store32(&b[36], static_cast<uint32_t>(size)); }},
      {"more strings than stored", [](auto& b) { b[26] = 200; }},
      {"unterminated source name",
       [&](auto& b) {
         for (size_t i = 56; i < size - 4; ++i) b[i] = 'x';
       }},
  };
  ASSERT_NO_THROW(Decode(good));
  for (const auto& damage : damages) {
    auto bytes = good;
    damage.apply(bytes);
    EXPECT_THROW(Decode(bytes), TCorruptLog) << damage.what;
  }
  for (size_t cut = 0; cut < size; cut += 4) {
    EXPECT_THROW(DecodeRecord(good.data(), cut), TCorruptLog) << "cut to " << cut;
  }
}

TEST(RecordCodec, EncodeRefusesWhatTheFormatCannotHold) {
  Record record = MakeRecord(1);
  record.strings.assign(65536, u"x");
  EXPECT_THROW(EncodeRecord(record), std::length_error);
  record = MakeRecord(1);
  record.strings.push_back(std::u16string(u"a\0b", 3));
  EXPECT_THROW(EncodeRecord(record), std::invalid_argument);
}

}  // namespace
}  // namespace corvane::evt
