// Reading a log: sequential and seek reads in both directions, whole records only, the size
// needed when the first record does not fit, the end of the log, and the arguments and handles
// refused before anything is read.
#include <windows.h>

#include <gtest/gtest.h>

#include "ServiceLibrary.h"
#include "TestSupport.h"

namespace corvane::evtsvc::test {
namespace {

constexpr DWORD kForwards = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ;
constexpr DWORD kBackwards = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ;
constexpr DWORD kSeekForwards = EVENTLOG_SEEK_READ | EVENTLOG_FORWARDS_READ;
constexpr DWORD kSeekBackwards = EVENTLOG_SEEK_READ | EVENTLOG_BACKWARDS_READ;

std::vector<DWORD> Numbers(const std::vector<TReadRecord>& records) {
  std::vector<DWORD> numbers;
  for (const TReadRecord& record : records) numbers.push_back(record.recordNumber);
  return numbers;
}

// A log of ten events; event i (from 1) carries the string "event i" and i bytes of data, so
// the records differ in length.
class TReading : public testing::Test {
 protected:
  void SetUp() override {
    writer_.reset(svc_.RegisterEventSourceA(nullptr, "CorvaneReadSource"));
    ASSERT_TRUE(writer_) << GetLastError();
    for (int i = 1; i <= 10; ++i) WriteEvent(i);
    reader_.reset(svc_.OpenEventLogA(nullptr, log_.name().c_str()));
    ASSERT_TRUE(reader_) << GetLastError();
  }

  void WriteEvent(int i) {
    ASSERT_TRUE(Report(writer_.get(), EVENTLOG_INFORMATION_TYPE, static_cast<DWORD>(i),
                       {"event " + std::to_string(i)}, std::vector<uint8_t>(static_cast<size_t>(i), 0xAB)))
        << GetLastError();
  }

  // The size of record `number` in the 8-bit form.
  DWORD SizeOf(DWORD number) {
    const TUniqueLog probe(svc_.OpenEventLogA(nullptr, log_.name().c_str()));
    const TReadResult result = ReadOnce(probe.get(), kSeekForwards, number, 0x10000);
    EXPECT_EQ(result.error, 0u);
    return result.records.empty() ? 0 : result.records[0].length;
  }

  const TServiceLibrary& svc_ = TServiceLibrary::Get();
  TScratchLog log_{"CorvaneSvcRead", {"CorvaneReadSource"}};
  TUniqueLog writer_;
  TUniqueLog reader_;
};

TEST_F(TReading, SequentialForwardsReadsOldestFirstUntilTheEnd) {
  const std::vector<TReadRecord> records = ReadAll(reader_.get(), kForwards, 200);
  EXPECT_EQ(Numbers(records), (std::vector<DWORD>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  ASSERT_EQ(records.size(), 10u);
  EXPECT_EQ(records[4].strings, std::vector<std::string>{"event 5"});
  EXPECT_EQ(records[4].data, std::vector<uint8_t>(5, 0xAB));

  const TReadResult end = ReadOnce(reader_.get(), kForwards, 0, 4096);
  EXPECT_EQ(end.error, static_cast<DWORD>(ERROR_HANDLE_EOF));
  EXPECT_EQ(end.bytesRead, 0u);
}

TEST_F(TReading, SequentialBackwardsReadsNewestFirstUntilTheEnd) {
  EXPECT_EQ(Numbers(ReadAll(reader_.get(), kBackwards, 300)),
            (std::vector<DWORD>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(ReadOnce(reader_.get(), kBackwards, 0, 4096).error, static_cast<DWORD>(ERROR_HANDLE_EOF));
}

TEST_F(TReading, ReturnsAsManyWholeRecordsAsFit) {
  const DWORD first = SizeOf(1);
  const DWORD second = SizeOf(2);
  ASSERT_GT(first, 0u);
  TReadResult one = ReadOnce(reader_.get(), kForwards, 0, first + second - 1);
  EXPECT_EQ(one.bytesRead, first);
  EXPECT_EQ(Numbers(one.records), std::vector<DWORD>{1});
  TReadResult two = ReadOnce(reader_.get(), kForwards, 0, SizeOf(2) + SizeOf(3));
  EXPECT_EQ(Numbers(two.records), (std::vector<DWORD>{2, 3}));
  EXPECT_EQ(two.bytesNeeded, 0u);
}

TEST_F(TReading, TooSmallBufferGivesTheSizeNeededAndKeepsThePosition) {
  const TReadResult small = ReadOnce(reader_.get(), kForwards, 0, sizeof(EVENTLOGRECORD));
  EXPECT_EQ(small.error, static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(small.bytesRead, 0u);
  EXPECT_EQ(small.bytesNeeded, SizeOf(1));

  const TReadResult exact = ReadOnce(reader_.get(), kForwards, 0, small.bytesNeeded);
  EXPECT_EQ(exact.error, 0u);
  EXPECT_EQ(exact.bytesRead, small.bytesNeeded);
  EXPECT_EQ(Numbers(exact.records), std::vector<DWORD>{1});
}

TEST_F(TReading, SeekReadStartsAtTheRecordAndSequentialReadsGoOnFromThere) {
  EXPECT_EQ(Numbers(ReadOnce(reader_.get(), kSeekForwards, 4, SizeOf(4)).records), std::vector<DWORD>{4});
  EXPECT_EQ(Numbers(ReadOnce(reader_.get(), kForwards, 0, SizeOf(5)).records), std::vector<DWORD>{5});
  EXPECT_EQ(Numbers(ReadOnce(reader_.get(), kSeekBackwards, 8, SizeOf(8) + SizeOf(7)).records),
            (std::vector<DWORD>{8, 7}));
  EXPECT_EQ(Numbers(ReadOnce(reader_.get(), kBackwards, 0, SizeOf(6)).records), std::vector<DWORD>{6});
  // Both ends, in the direction that leaves the log.
  EXPECT_EQ(Numbers(ReadOnce(reader_.get(), kSeekForwards, 10, 0x10000).records), std::vector<DWORD>{10});
  EXPECT_EQ(Numbers(ReadOnce(reader_.get(), kSeekBackwards, 1, 0x10000).records), std::vector<DWORD>{1});
}

// A sequential read turned the other way starts from the record the handle delivered last, the
// offset argument ignored; after the end of the log, from the last record too.
TEST_F(TReading, ATurnedReadStartsFromTheLastRecordDelivered) {
  std::vector<DWORD> seen;
  auto read = [&](DWORD flags) {
    for (const TReadRecord& record : ReadOnce(reader_.get(), flags, 7, SizeOf(10)).records) {
      seen.push_back(record.recordNumber);
    }
  };
  for (DWORD flags : {kForwards, kForwards, kBackwards, kBackwards, kBackwards, kForwards, kForwards}) {
    read(flags);
  }
  EXPECT_EQ(seen, (std::vector<DWORD>{1, 2, 2, 1, 1, 2}));

  seen.clear();
  EXPECT_EQ(ReadAll(reader_.get(), kForwards).size(), 8u);
  read(kBackwards);
  read(kBackwards);
  EXPECT_EQ(seen, (std::vector<DWORD>{10, 9}));
}

TEST_F(TReading, SeekOutsideTheLogIsRefused) {
  for (DWORD number : {0u, 11u, 0xFFFFFFFFu}) {
    const TReadResult result = ReadOnce(reader_.get(), kSeekForwards, number, 0x10000);
    EXPECT_EQ(result.error, static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << number;
  }
}

TEST_F(TReading, EventsWrittenLaterReachASequentialReaderAtTheEnd) {
  ASSERT_EQ(ReadAll(reader_.get(), kForwards).size(), 10u);
  WriteEvent(11);
  EXPECT_EQ(Numbers(ReadAll(reader_.get(), kForwards)), std::vector<DWORD>{11});
}

TEST_F(TReading, ArgumentsAreCheckedBeforeTheHandle) {
  uint8_t buffer[256];
  DWORD read = 0xdeadbeef;
  DWORD needed = 0xdeadbeef;
  auto fails = [&](HANDLE log, DWORD flags, void* into, DWORD size, DWORD* r, DWORD* n) {
    SetLastError(0);
    EXPECT_FALSE(svc_.ReadEventLogA(log, flags, 0, into, size, r, n));
    return GetLastError();
  };
  const DWORD invalidParameter = ERROR_INVALID_PARAMETER;
  for (HANDLE log : {static_cast<HANDLE>(nullptr), reader_.get()}) {
    EXPECT_EQ(fails(log, kForwards, buffer, sizeof(buffer), nullptr, &needed), invalidParameter);
    EXPECT_EQ(fails(log, kForwards, buffer, sizeof(buffer), &read, nullptr), invalidParameter);
    EXPECT_EQ(fails(log, kForwards, nullptr, sizeof(buffer), &read, &needed), invalidParameter);
    for (DWORD flags : {0ul, 1ul, 2ul, 4ul, 1ul | 2ul | 4ul, 1ul | 4ul | 8ul, 1ul | 4ul | 0x10ul}) {
      EXPECT_EQ(fails(log, flags, buffer, sizeof(buffer), &read, &needed), invalidParameter) << flags;
    }
  }
  EXPECT_EQ(read, 0xdeadbeef);
  EXPECT_EQ(needed, 0xdeadbeef);
  std::vector<uint8_t> huge(0x80000);
  EXPECT_EQ(fails(reader_.get(), kForwards, huge.data(), 0x80000, &read, &needed), invalidParameter);
  EXPECT_EQ(fails(nullptr, kForwards, buffer, sizeof(buffer), &read, &needed),
            static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(TReading, ClosedAndUnknownHandlesAreInvalid) {
  const HANDLE closed = reader_.release();
  ASSERT_TRUE(svc_.CloseEventLog(closed));
  for (HANDLE log : {closed, static_cast<HANDLE>(nullptr), reinterpret_cast<HANDLE>(0x1234)}) {
    EXPECT_EQ(ReadOnce(log, kForwards, 0, 4096).error, static_cast<DWORD>(ERROR_INVALID_HANDLE));
    DWORD count = 77;
    EXPECT_FALSE(svc_.GetNumberOfEventLogRecords(log, &count));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(count, 77u);
    EXPECT_FALSE(svc_.GetOldestEventLogRecord(log, &count));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(svc_.CloseEventLog(log));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(svc_.DeregisterEventSource(log));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  }
  EXPECT_FALSE(svc_.GetNumberOfEventLogRecords(writer_.get(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(TReading, CountAndOldestDescribeTheLog) {
  DWORD count = 0;
  DWORD oldest = 0;
  ASSERT_TRUE(svc_.GetNumberOfEventLogRecords(reader_.get(), &count));
  ASSERT_TRUE(svc_.GetOldestEventLogRecord(reader_.get(), &oldest));
  EXPECT_EQ(count, 10u);
  EXPECT_EQ(oldest, 1u);
}

TEST(EmptyLog, ReadsTheEndAtOnceInEitherDirection) {
  const TServiceLibrary& svc = TServiceLibrary::Get();
  const TScratchLog log("CorvaneSvcEmpty", {});
  const TUniqueLog reader(svc.OpenEventLogA(nullptr, log.name().c_str()));
  ASSERT_TRUE(reader) << GetLastError();
  EXPECT_TRUE(FileExists(log.file()));
  DWORD count = 5;
  ASSERT_TRUE(svc.GetNumberOfEventLogRecords(reader.get(), &count));
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(ReadOnce(reader.get(), kForwards, 0, 4096).error, static_cast<DWORD>(ERROR_HANDLE_EOF));
  EXPECT_EQ(ReadOnce(reader.get(), kBackwards, 0, 4096).error, static_cast<DWORD>(ERROR_HANDLE_EOF));
  EXPECT_EQ(ReadOnce(reader.get(), kSeekForwards, 1, 4096).error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
}  // namespace corvane::evtsvc::test
