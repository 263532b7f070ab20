// Writing events: every field comes back as written, texts pass through the ANSI code page into
// the file's UTF-16, bad arguments are refused before anything is written, and a full log
// either overwrites its oldest records or, when its retention forbids it, refuses the event.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <thread>

#include "ServiceLibrary.h"
#include "TestSupport.h"

namespace corvane::evtsvc::test {
namespace {

constexpr DWORD kForwards = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ;

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

bool Contains(const std::vector<uint8_t>& bytes, const std::u16string& text) {
  const auto* begin = reinterpret_cast<const uint8_t*>(text.data());
  return std::search(bytes.begin(), bytes.end(), begin, begin + text.size() * 2) != bytes.end();
}

DWORD Count(HANDLE log) {
  DWORD count = 0;
  EXPECT_TRUE(TServiceLibrary::Get().GetNumberOfEventLogRecords(log, &count)) << GetLastError();
  return count;
}

class Writing : public testing::Test {
 protected:
  void SetUp() override {
    source_.reset(svc_.RegisterEventSourceA(nullptr, "CorvaneWriteSource"));
    ASSERT_TRUE(source_) << GetLastError();
  }
  std::vector<TReadRecord> ReadBack() {
    const TUniqueLog reader(svc_.OpenEventLogA(nullptr, log_.name().c_str()));
    return ReadAll(reader.get(), kForwards);
  }

  const TServiceLibrary& svc_ = TServiceLibrary::Get();
  TScratchLog log_{"CorvaneSvcWrite", {"CorvaneWriteSource"}};
  TUniqueLog source_;
};

TEST_F(Writing, EveryFieldReadsBackAsWritten) {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID sid = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS,
                                       0, 0, 0, 0, 0, 0, &sid));
  const std::vector<uint8_t> sidBytes(static_cast<uint8_t*>(sid), static_cast<uint8_t*>(sid) + GetLengthSid(sid));
  const std::vector<uint8_t> data{0, 1, 2, 0xFF, 0x80};

  const uint32_t before = SecondsSince1970();
  ASSERT_TRUE(Report(source_.get(), EVENTLOG_WARNING_TYPE, 0xC0001234, {"first", "", "third, with spaces"},
                     data, sid, 7))
      << GetLastError();
  const uint32_t after = SecondsSince1970();
  FreeSid(sid);

  const std::vector<TReadRecord> records = ReadBack();
  ASSERT_EQ(records.size(), 1u);
  const TReadRecord& r = records[0];
  EXPECT_EQ(r.recordNumber, 1u);
  EXPECT_EQ(r.eventType, EVENTLOG_WARNING_TYPE);
  EXPECT_EQ(r.eventCategory, 7);
  EXPECT_EQ(r.eventId, 0xC0001234u);
  EXPECT_EQ(r.strings, (std::vector<std::string>{"first", "", "third, with spaces"}));
  EXPECT_EQ(r.data, data);
  EXPECT_EQ(r.sid, sidBytes);
  EXPECT_EQ(r.source, "CorvaneWriteSource");
  EXPECT_EQ(r.computer, LocalComputerName());
  EXPECT_GE(r.timeGenerated, before);
  EXPECT_LE(r.timeGenerated, after);
  EXPECT_EQ(r.timeWritten, r.timeGenerated);
}

TEST_F(Writing, EventWithoutStringsDataOrSid) {
  ASSERT_TRUE(svc_.ReportEventA(source_.get(), EVENTLOG_ERROR_TYPE, 0, 5, nullptr, 0, 0, nullptr, nullptr))
      << GetLastError();
  const std::vector<TReadRecord> records = ReadBack();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_TRUE(records[0].strings.empty());
  EXPECT_TRUE(records[0].data.empty());
  EXPECT_TRUE(records[0].sid.empty());
}

TEST_F(Writing, TypesOutsideTheListAreKeptAsWritten) {
  ASSERT_TRUE(Report(source_.get(), 3, 1, {}));
  ASSERT_TRUE(Report(source_.get(), 0x20, 2, {}));
  const std::vector<TReadRecord> records = ReadBack();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].eventType, 3);
  EXPECT_EQ(records[1].eventType, 0x20);
}

TEST_F(Writing, TextsPassThroughTheAnsiCodePageIntoUtf16) {
  ASSERT_EQ(GetACP(), 1252u);
  // 0xE9 is U+00E9 and 0x80 is the euro sign U+20AC in code page 1252.
  ASSERT_TRUE(Report(source_.get(), EVENTLOG_INFORMATION_TYPE, 1, {"caf\xE9", "\x80 5"}));
  source_.reset();
  const std::vector<uint8_t> file = FileBytes(log_.file());
  EXPECT_TRUE(Contains(file, u"caf\u00E9"));
  EXPECT_TRUE(Contains(file, u"\u20AC 5"));
  const std::vector<TReadRecord> records = ReadBack();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].strings, (std::vector<std::string>{"caf\xE9", "\x80 5"}));
}

TEST_F(Writing, BadArgumentsAreRefusedAndNothingIsWritten) {
  const DWORD invalid = ERROR_INVALID_PARAMETER;
  LPCSTR withNull[] = {"one", nullptr};
  EXPECT_FALSE(svc_.ReportEventA(source_.get(), 4, 0, 1, nullptr, 2, 0, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), invalid);
  EXPECT_FALSE(svc_.ReportEventA(source_.get(), 4, 0, 1, nullptr, 2, 0, withNull, nullptr));
  EXPECT_EQ(GetLastError(), invalid);
  EXPECT_FALSE(svc_.ReportEventA(source_.get(), 4, 0, 1, nullptr, 0, 3, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), invalid);
  EXPECT_FALSE(Report(source_.get(), 4, 1, {}, std::vector<uint8_t>(261992)));
  EXPECT_EQ(GetLastError(), invalid);
  EXPECT_FALSE(Report(source_.get(), 4, 1, {std::string(31840, 'x')}));
  EXPECT_EQ(GetLastError(), invalid);
  uint8_t notASid[16] = {9, 9, 9};
  EXPECT_FALSE(Report(source_.get(), 4, 1, {}, {}, notASid));
  EXPECT_EQ(GetLastError(), invalid);
  EXPECT_FALSE(Report(nullptr, 4, 1, {"x"}));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(Count(source_.get()), 0u);

  // The largest event the limits allow is written.
  EXPECT_TRUE(Report(source_.get(), 4, 1, {std::string(31839, 'x')}, std::vector<uint8_t>(1000)))
      << GetLastError();
  EXPECT_EQ(Count(source_.get()), 1u);
}

TEST_F(Writing, ThreadsOfOneProcessWriteThroughTheirOwnHandlesWithoutLoss) {
  constexpr int kPerThread = 150;
  auto writeAll = [&](const std::string& tag) {
    const TUniqueLog own(svc_.RegisterEventSourceA(nullptr, "CorvaneWriteSource"));
    for (int i = 0; i < kPerThread; ++i) {
      if (!Report(own.get(), EVENTLOG_INFORMATION_TYPE, 1, {tag, std::to_string(i)})) {
        ADD_FAILURE() << tag << " " << i << ": " << GetLastError();
        return;
      }
    }
  };
  std::thread first(writeAll, "first");
  std::thread second(writeAll, "second");
  writeAll("third");
  first.join();
  second.join();

  std::map<std::string, int> next;
  const std::vector<TReadRecord> records = ReadBack();
  ASSERT_EQ(records.size(), 3u * kPerThread);
  for (size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(records[i].recordNumber, i + 1);
    ASSERT_EQ(records[i].strings.size(), 2u);
    EXPECT_EQ(records[i].strings[1], std::to_string(next[records[i].strings[0]]++));
  }
}

TEST(FullLog, RetentionThatForbidsOverwritingRefusesTheEventAndKeepsTheRest) {
  const TServiceLibrary& svc = TServiceLibrary::Get();
  const TScratchLog log("CorvaneSvcFull", {"CorvaneFullSource"}, 64 * 1024, 0xFFFFFFFF);
  const TUniqueLog source(svc.RegisterEventSourceA(nullptr, "CorvaneFullSource"));
  const std::string text(400, 'f');
  DWORD written = 0;
  while (Report(source.get(), 4, written + 1, {text})) {
    ASSERT_LT(++written, 500u);
  }
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_LOG_FILE_FULL));
  EXPECT_GT(written, 50u);
  EXPECT_EQ(Count(source.get()), written);
  const TUniqueLog reader(svc.OpenEventLogA(nullptr, log.name().c_str()));
  const std::vector<TReadRecord> records = ReadAll(reader.get(), kForwards);
  ASSERT_EQ(records.size(), written);
  EXPECT_EQ(records.front().recordNumber, 1u);
  EXPECT_EQ(records.back().eventId, written);
}

TEST(FullLog, WithoutRetentionTheOldestRecordsMakeRoom) {
  const TServiceLibrary& svc = TServiceLibrary::Get();
  const TScratchLog log("CorvaneSvcWrap", {"CorvaneWrapSource"}, 64 * 1024, 0);
  const TUniqueLog source(svc.RegisterEventSourceA(nullptr, "CorvaneWrapSource"));
  const TUniqueLog reader(svc.OpenEventLogA(nullptr, log.name().c_str()));
  const std::string text(400, 'w');
  ASSERT_TRUE(Report(source.get(), 4, 1, {text}));
  // The reader stands behind record 1 when the log wraps past it.
  ASSERT_EQ(ReadOnce(reader.get(), kForwards, 0, 0x10000).records.size(), 1u);
  for (DWORD id = 2; id <= 200; ++id) ASSERT_TRUE(Report(source.get(), 4, id, {text})) << id;

  const DWORD count = Count(source.get());
  DWORD oldest = 0;
  ASSERT_TRUE(svc.GetOldestEventLogRecord(source.get(), &oldest));
  EXPECT_LT(count, 200u);
  EXPECT_EQ(oldest + count - 1, 200u);

  const std::vector<TReadRecord> rest = ReadAll(reader.get(), kForwards);
  ASSERT_EQ(rest.size(), count);
  for (size_t i = 0; i < rest.size(); ++i) EXPECT_EQ(rest[i].recordNumber, oldest + i);
  EXPECT_EQ(rest.back().eventId, 200u);
}

}  // namespace
}  // namespace corvane::evtsvc::test
