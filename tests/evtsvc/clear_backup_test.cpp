// Clearing and backing up: a backup is a log file of its own, an existing target is never
// overwritten (and then nothing is cleared), readers of a cleared log are told, and a file
// that is not a sound log is refused as corrupt.
#include <windows.h>

#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "ServiceLibrary.h"
#include "TestSupport.h"

namespace corvane::evtsvc::test {
namespace {

constexpr DWORD kForwards = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ;
constexpr DWORD kSeekForwards = EVENTLOG_SEEK_READ | EVENTLOG_FORWARDS_READ;

std::vector<std::string> Strings(const std::vector<TReadRecord>& records) {
  std::vector<std::string> all;
  for (const TReadRecord& r : records) all.insert(all.end(), r.strings.begin(), r.strings.end());
  return all;
}

class TClearAndBackup : public testing::Test {
 protected:
  void SetUp() override {
    log_.reset(svc_.OpenEventLogA(nullptr, scratch_.name().c_str()));
    ASSERT_TRUE(log_) << GetLastError();
    for (const char* text : {"one", "two", "three"}) {
      ASSERT_TRUE(Report(log_.get(), EVENTLOG_INFORMATION_TYPE, 1, {text})) << GetLastError();
    }
  }
  DWORD Count(HANDLE log) {
    DWORD count = 0;
    EXPECT_TRUE(svc_.GetNumberOfEventLogRecords(log, &count)) << GetLastError();
    return count;
  }
  std::vector<TReadRecord> ReadFile(const std::string& path) {
    const TUniqueLog backup(svc_.OpenBackupEventLogA(nullptr, path.c_str()));
    EXPECT_TRUE(backup) << path << ": " << GetLastError();
    return backup ? ReadAll(backup.get(), kForwards) : std::vector<TReadRecord>{};
  }

  const TServiceLibrary& svc_ = TServiceLibrary::Get();
  TScratchLog scratch_{"CorvaneSvcClear", {}};
  TUniqueLog log_;
  const std::vector<std::string> written_{"one", "two", "three"};
};

TEST_F(TClearAndBackup, ClearEmptiesTheLogAndNumberingStartsAgain) {
  ASSERT_TRUE(svc_.ClearEventLogA(log_.get(), nullptr)) << GetLastError();
  EXPECT_EQ(Count(log_.get()), 0u);
  ASSERT_TRUE(Report(log_.get(), EVENTLOG_INFORMATION_TYPE, 1, {"after"}));
  const std::vector<TReadRecord> records = ReadAll(log_.get(), kForwards);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].recordNumber, 1u);
  EXPECT_EQ(records[0].strings, std::vector<std::string>{"after"});
}

TEST_F(TClearAndBackup, ClearWithBackupSavesTheRecordsFirst) {
  const std::string backup = scratch_.folder().File("cleared.evt");
  ASSERT_TRUE(svc_.ClearEventLogA(log_.get(), backup.c_str())) << GetLastError();
  EXPECT_EQ(Count(log_.get()), 0u);
  EXPECT_EQ(Strings(ReadFile(backup)), written_);
}

TEST_F(TClearAndBackup, ExistingBackupFileIsRefusedAndNothingIsCleared) {
  const std::string backup = scratch_.folder().File("taken.evt");
  WriteFile(backup, "keep me");
  EXPECT_FALSE(svc_.ClearEventLogA(log_.get(), backup.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(Count(log_.get()), 3u);
  EXPECT_EQ(Contents(backup), "keep me");
}

TEST_F(TClearAndBackup, BackupIsALogOfItsOwnAndCanBeBackedUpAgain) {
  const std::string first = scratch_.folder().File("first.evt");
  const std::string second = scratch_.folder().File("second.evt");
  ASSERT_TRUE(svc_.BackupEventLogA(log_.get(), first.c_str())) << GetLastError();
  EXPECT_EQ(Count(log_.get()), 3u);
  const TUniqueLog backup(svc_.OpenBackupEventLogA(nullptr, first.c_str()));
  ASSERT_TRUE(backup) << GetLastError();
  EXPECT_EQ(Strings(ReadAll(backup.get(), kForwards)), written_);
  ASSERT_TRUE(svc_.BackupEventLogA(backup.get(), second.c_str())) << GetLastError();
  EXPECT_EQ(Strings(ReadFile(second)), written_);
}

TEST_F(TClearAndBackup, BackupRefusesAnExistingTargetAndMissingNames) {
  const std::string target = scratch_.folder().File("existing.evt");
  WriteFile(target, "older file");
  EXPECT_FALSE(svc_.BackupEventLogA(log_.get(), target.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(Contents(target), "older file");

  EXPECT_FALSE(svc_.BackupEventLogA(log_.get(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(svc_.BackupEventLogA(nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  const std::string none = scratch_.folder().File("none.evt");
  EXPECT_FALSE(svc_.BackupEventLogA(nullptr, none.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(FileExists(none));
  EXPECT_FALSE(svc_.ClearEventLogA(nullptr, none.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(FileExists(none));
}

TEST_F(TClearAndBackup, ReaderOfAClearedLogIsToldOnceAndThenReadsTheNewLog) {
  const TUniqueLog reader(svc_.OpenEventLogA(nullptr, scratch_.name().c_str()));
  ASSERT_EQ(ReadOnce(reader.get(), kForwards, 0, 0x10000).records.size(), 3u);
  ASSERT_TRUE(svc_.ClearEventLogA(log_.get(), nullptr));
  ASSERT_TRUE(Report(log_.get(), EVENTLOG_INFORMATION_TYPE, 1, {"new"}));
  EXPECT_EQ(ReadOnce(reader.get(), kForwards, 0, 0x10000).error,
            static_cast<DWORD>(ERROR_EVENTLOG_FILE_CHANGED));
  EXPECT_EQ(Strings(ReadAll(reader.get(), kForwards)), std::vector<std::string>{"new"});
  // The handle that cleared goes on without being told.
  EXPECT_EQ(Strings(ReadAll(log_.get(), kForwards)), std::vector<std::string>{"new"});
}

TEST_F(TClearAndBackup, ClearAndWritesByAnotherProcessAreSeenHere) {
  ASSERT_EQ(ReadOnce(log_.get(), kForwards, 0, 0x10000).records.size(), 3u);
  ASSERT_EQ(TChildProcess(ToolCommand("clear " + scratch_.name())).Wait(60000), 0u);
  ASSERT_EQ(TChildProcess(ToolCommand("write " + scratch_.name() + " 2 other")).Wait(60000), 0u);
  EXPECT_EQ(Count(log_.get()), 2u);
  EXPECT_EQ(ReadOnce(log_.get(), kForwards, 0, 0x10000).error,
            static_cast<DWORD>(ERROR_EVENTLOG_FILE_CHANGED));
  const std::vector<TReadRecord> records = ReadAll(log_.get(), kForwards);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].recordNumber, 1u);
  EXPECT_EQ(records[1].strings, (std::vector<std::string>{"other", "1"}));
}

TEST_F(TClearAndBackup, FilesThatAreNoLogAreCorrupt) {
  const std::string text = scratch_.folder().File("text.evt");
  WriteFile(text, "Just some text");
  const std::string empty = scratch_.folder().File("empty.evt");
  WriteFile(empty, "");
  for (const std::string& path : {text, empty}) {
    SetLastError(0);
    EXPECT_EQ(svc_.OpenBackupEventLogA(nullptr, path.c_str()), nullptr) << path;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_EVENTLOG_FILE_CORRUPT)) << path;
  }
}

TEST_F(TClearAndBackup, DamagedRecordIsReportedAsCorruptNotRead) {
  const std::string backup = scratch_.folder().File("damaged.evt");
  ASSERT_TRUE(svc_.BackupEventLogA(log_.get(), backup.c_str()));
  std::string bytes = Contents(backup);
  // The second record keeps its frame (length and signature) but its strings now lie outside it.
  const size_t signature = bytes.find("LfLe", 48 + 8);
  ASSERT_NE(signature, std::string::npos);
  bytes.replace(signature - 4 + 36, 4, std::string("\xF0\xFF\x00\x00", 4));
  WriteFile(backup, bytes);

  const TUniqueLog damaged(svc_.OpenBackupEventLogA(nullptr, backup.c_str()));
  ASSERT_TRUE(damaged) << GetLastError();
  // The records before the damage are still read; the damaged one is reported, not skipped.
  const TReadResult before = ReadOnce(damaged.get(), kForwards, 0, 0x10000);
  EXPECT_EQ(before.error, 0u);
  EXPECT_EQ(Strings(before.records), std::vector<std::string>{"one"});
  EXPECT_EQ(ReadOnce(damaged.get(), kForwards, 0, 0x10000).error,
            static_cast<DWORD>(ERROR_EVENTLOG_FILE_CORRUPT));
  EXPECT_EQ(ReadOnce(damaged.get(), kSeekForwards, 3, 0x10000).records.size(), 1u);
}

TEST_F(TClearAndBackup, DamagedLiveLogIsRefusedAsCorrupt) {
  const TScratchLog broken("CorvaneSvcBroken", {});
  WriteFile(broken.file(), std::string(65536, '\x5A'));
  SetLastError(0);
  EXPECT_EQ(svc_.OpenEventLogA(nullptr, broken.name().c_str()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_EVENTLOG_FILE_CORRUPT));
  EXPECT_EQ(Contents(broken.file()), std::string(65536, '\x5A')) << "the file is left as it was";
}

TEST_F(TClearAndBackup, BackupFileMustBeNamedAndExist) {
  SetLastError(0);
  EXPECT_EQ(svc_.OpenBackupEventLogA(nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(svc_.OpenBackupEventLogA(nullptr, scratch_.folder().File("missing.evt").c_str()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
}  // namespace corvane::evtsvc::test
