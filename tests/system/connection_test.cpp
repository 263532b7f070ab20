// The connection to the target machine's "\IPC$" share: when it is made, with what, and the
// single retry after a credential conflict. The connection functions are replaced by recorders.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/OleSysError.h"
#include "system/NTCommon.h"
#include "system/WNetApi.h"

namespace corvane {
namespace {

struct Call {
  std::string what;  // "add" or "cancel"
  std::string remote;
  std::string user;
  std::string password;
  DWORD flags = 0;
  BOOL force = FALSE;
  bool localNameEmpty = false;
  DWORD scope = 99, type = 99, usage = 99;
  bool commentAndProviderNull = false;
};

std::vector<Call> calls;
std::deque<DWORD> addResults;

DWORD WINAPI FakeAdd(LPNETRESOURCEA resource, LPCSTR password, LPCSTR user, DWORD flags) {
  Call c;
  c.what = "add";
  c.remote = resource->lpRemoteName;
  // Both are strings even when empty, never null pointers.
  c.user = user ? user : "(null)";
  c.password = password ? password : "(null)";
  c.flags = flags;
  c.localNameEmpty = resource->lpLocalName && resource->lpLocalName[0] == 0;
  c.scope = resource->dwScope;
  c.type = resource->dwType;
  c.usage = resource->dwUsage;
  c.commentAndProviderNull = !resource->lpComment && !resource->lpProvider;
  calls.push_back(c);
  if (addResults.empty()) return NO_ERROR;
  const DWORD r = addResults.front();
  addResults.pop_front();
  return r;
}

DWORD WINAPI FakeCancel(LPCSTR name, DWORD flags, BOOL force) {
  Call c;
  c.what = "cancel";
  c.remote = name;
  c.flags = flags;
  c.force = force;
  calls.push_back(c);
  return NO_ERROR;
}

std::vector<std::string> Trace() {
  std::vector<std::string> trace;
  for (const Call& c : calls) trace.push_back(c.what + " " + c.remote);
  return trace;
}

class Connection : public ::testing::Test {
 protected:
  Connection() {
    calls.clear();
    addResults.clear();
  }
  void WithCredentials(const std::string& user, const std::string& password) {
    component.LogonAs().SetUserName(user);
    component.LogonAs().SetPassword(password);
  }
  ScopedEntry<decltype(&::WNetAddConnection2A)> add_{WNetApi.WNetAddConnection2A, &FakeAdd};
  ScopedEntry<decltype(&::WNetCancelConnection2A)> cancel_{WNetApi.WNetCancelConnection2A,
                                                            &FakeCancel};
  TNTPersistent component{nullptr};
};

TEST_F(Connection, ARemoteMachineWithCredentialsIsConnectedWithThem) {
  WithCredentials("CORP\\admin", "secret");
  component.SetMachineName("\\\\FILES");
  ASSERT_EQ(calls.size(), 1u);
  const Call& c = calls[0];
  EXPECT_EQ(c.what, "add");
  EXPECT_EQ(c.remote, "\\\\FILES\\IPC$");
  EXPECT_EQ(c.user, "CORP\\admin");
  EXPECT_EQ(c.password, "secret");
  EXPECT_EQ(c.flags, 0u);
  EXPECT_TRUE(c.localNameEmpty);
  EXPECT_EQ(c.scope, 0u);
  EXPECT_EQ(c.type, 0u);
  EXPECT_EQ(c.usage, 0u);
  EXPECT_TRUE(c.commentAndProviderNull);
  EXPECT_EQ(component.GetMachineName(), "\\\\FILES");
}

TEST_F(Connection, APasswordAloneIsEnoughAndTheEmptyUserIsPassedAsAString) {
  WithCredentials("  ", "pw");
  component.SetMachineName("\\\\FILES");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].user, "  ");
  EXPECT_EQ(calls[0].password, "pw");
}

TEST_F(Connection, NoAttemptWithoutCredentialsForTheLocalMachineOrForNoMachine) {
  component.SetMachineName("\\\\FILES");
  WithCredentials(" \t", "\r\n");
  component.SetMachineName("\\\\OTHER");
  component.SetMachineName("");
  WithCredentials("admin", "pw");
  component.SetMachineName("   ");
  component.SetMachineName(component.LocalComputerName());
  component.SetMachineName(" " + component.LocalComputerName() + " ");
  EXPECT_TRUE(calls.empty()) << Trace().front();
  EXPECT_FALSE(component.NeedsConnection());
}

TEST_F(Connection, ChangingTheMachineCancelsTheOldConnectionAndTheSameNameDoesNothing) {
  WithCredentials("admin", "pw");
  component.SetMachineName("\\\\ONE");
  component.SetMachineName("\\\\ONE");
  component.SetMachineName("\\\\TWO");
  component.SetMachineName("");
  EXPECT_EQ(Trace(), (std::vector<std::string>{"add \\\\ONE\\IPC$", "cancel \\\\ONE\\IPC$",
                                               "add \\\\TWO\\IPC$", "cancel \\\\TWO\\IPC$"}));
  EXPECT_EQ(calls[1].flags, 0u);
  EXPECT_FALSE(calls[1].force);
  // The exact name counts: another spelling is another machine name.
  calls.clear();
  component.SetMachineName("\\\\one");
  component.SetMachineName("\\\\ONE");
  EXPECT_EQ(Trace(), (std::vector<std::string>{"add \\\\one\\IPC$", "cancel \\\\one\\IPC$",
                                               "add \\\\ONE\\IPC$"}));
}

TEST_F(Connection, ACredentialConflictIsResolvedByOneCancelAndOneSecondAttempt) {
  WithCredentials("admin", "pw");
  addResults = {ERROR_SESSION_CREDENTIAL_CONFLICT, ERROR_SESSION_CREDENTIAL_CONFLICT};
  component.SetMachineName("\\\\FILES");
  EXPECT_EQ(Trace(), (std::vector<std::string>{"add \\\\FILES\\IPC$", "cancel \\\\FILES\\IPC$",
                                               "add \\\\FILES\\IPC$"}));
  EXPECT_EQ(calls[2].user, "admin");
  EXPECT_EQ(calls[2].password, "pw");
}

TEST_F(Connection, OtherFailuresAreIgnoredWithoutARetry) {
  WithCredentials("admin", "pw");
  addResults = {ERROR_BAD_NETPATH};
  EXPECT_NO_THROW(component.SetMachineName("\\\\GONE"));
  addResults = {ERROR_LOGON_FAILURE};
  EXPECT_NO_THROW(component.SetMachineName("\\\\LOCKED"));
  EXPECT_EQ(Trace(), (std::vector<std::string>{"add \\\\GONE\\IPC$", "cancel \\\\GONE\\IPC$",
                                               "add \\\\LOCKED\\IPC$"}));
}

TEST_F(Connection, WhileReadingTheNameIsStoredAndLoadedConnectsOnce) {
  {
    TComponentReading reading(component);
    component.SetMachineName("\\\\FILES");
    WithCredentials("admin", "pw");
    EXPECT_FALSE(component.NeedsConnection());
    reading.Complete();
  }
  EXPECT_EQ(Trace(), (std::vector<std::string>{"add \\\\FILES\\IPC$"}));
  EXPECT_EQ(component.GetMachineName(), "\\\\FILES");

  // Read without credentials: Loaded makes no attempt.
  calls.clear();
  TNTPersistent other(nullptr);
  TComponentReading reading(other);
  other.SetMachineName("\\\\FILES");
  reading.Complete();
  EXPECT_TRUE(calls.empty());
}

TEST_F(Connection, CredentialChangesTakeEffectAtTheNextMachineChange) {
  component.SetMachineName("\\\\ONE");
  WithCredentials("admin", "pw");
  EXPECT_TRUE(calls.empty());
  component.SetMachineName("\\\\TWO");
  // The old machine counts as connected under the new credentials, so it is cancelled too.
  EXPECT_EQ(Trace(), (std::vector<std::string>{"cancel \\\\ONE\\IPC$", "add \\\\TWO\\IPC$"}));
}

TEST_F(Connection, AMachineNameTooLongForTheRemotePathIsRefusedNotCut) {
  WithCredentials("admin", "pw");
  const std::string longest = "\\\\" + std::string(255 - 2 - 5, 'M');  // 250 + "\IPC$" = 255
  component.SetMachineName(longest);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].remote.size(), 255u);
  calls.clear();
  component.SetMachineName(longest + "X");
  EXPECT_EQ(Trace(), (std::vector<std::string>{"cancel " + longest + "\\IPC$"}));
  EXPECT_EQ(component.GetMachineName(), longest + "X");
}

TEST_F(Connection, NamesAndCredentialsWithANulInsideAreRefusedAndTheOldOnesKept) {
  WithCredentials("admin", "pw");
  component.SetMachineName("\\\\ONE");
  calls.clear();
  const std::string cut("\\\\TWO\0X", 7);
  EXPECT_THROW(component.SetMachineName(cut), EOleSysError);
  EXPECT_THROW(component.LogonAs().SetUserName(cut), EOleSysError);
  EXPECT_THROW(component.LogonAs().SetPassword(cut), EOleSysError);
  EXPECT_TRUE(calls.empty()) << "nothing cancelled, nothing connected";
  EXPECT_EQ(component.GetMachineName(), "\\\\ONE");
  EXPECT_EQ(component.LogonAs().UserName(), "admin");
  EXPECT_EQ(component.LogonAs().Password(), "pw");
}

TEST_F(Connection, DestroyingTheComponentLeavesTheConnection) {
  {
    TNTPersistent temporary(nullptr);
    temporary.LogonAs().SetUserName("admin");
    temporary.SetMachineName("\\\\FILES");
  }
  EXPECT_EQ(Trace(), (std::vector<std::string>{"add \\\\FILES\\IPC$"}));
}

}  // namespace
}  // namespace corvane
