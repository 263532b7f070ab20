// The event-log component's saved state: restoring it brings the properties and credentials
// back and, through Loaded, opens the saved log again; a damaged stream changes nothing.
#include <gtest/gtest.h>

#include <windows.h>

#include "ComponentTestSupport.h"
#include "core/EventLog.h"
#include "framework/OleSysError.h"
#include "framework/PropertyStream.h"

namespace corvane {
namespace {

using component_test::TestLog;
using component_test::WriteEvents;

// Refusals pass the COM edge as the storage system's own result.
static_assert(kPropertyStreamCorrupt == STG_E_DOCFILECORRUPT);

TEST(EventLogStream, RestoringBringsThePropertiesBackAndReopensTheLog) {
  TestLog log("Stream");
  WriteEvents(log.Name(), 2);
  TVEVivudAre source(nullptr);
  source.SetSourceName(log.Name());
  source.SetBackupFileName("  ");  // blank: the live log is opened
  source.SetIncludeUserName(false);
  source.LogonAs().SetUserName("reader");
  source.LogonAs().SetPassword("s3cret");
  source.SetActive(true);
  const std::vector<uint8_t> stream = WritePropertyStream(source);

  TVEVivudAre restored(nullptr);
  ReadPropertyStream(restored, stream);
  EXPECT_TRUE(restored.Active());
  EXPECT_NE(restored.Handle(), nullptr);
  EXPECT_EQ(restored.Count(), 2);
  EXPECT_EQ(restored.SourceName(), log.Name());
  EXPECT_EQ(restored.BackupFileName(), "  ");
  EXPECT_FALSE(restored.IncludeUserName());
  EXPECT_EQ(restored.GetMachineName(), "");
  EXPECT_EQ(restored.LogonAs().UserName(), "reader");
  EXPECT_EQ(restored.LogonAs().Password(), "s3cret");

  TVEVivudAre untouched(nullptr);
  untouched.SetSourceName("Before");
  EXPECT_THROW(ReadPropertyStream(untouched, {stream.data(), stream.size() - 1}), EOleSysError);
  EXPECT_EQ(untouched.SourceName(), "Before");
  EXPECT_FALSE(untouched.Active());
  EXPECT_EQ(untouched.LogonAs().UserName(), "");
}

}  // namespace
}  // namespace corvane
