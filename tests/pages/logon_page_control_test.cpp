// The logon-as page on the real event-log control.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ControlPageTest.h"
#include "RecordingDispatch.h"
#include "framework/forms/Element.h"
#include "pages/FrNTPersistentLogonAs.h"
#include "pages/LateBinding.h"

namespace corvane::pages {
namespace {

using test::TCallLog;
using test::TRecordingDispatch;
using TWriteLog = std::vector<std::string>;

class LogonPageOnControl : public test::TControlPageTest {
 protected:
  LogonPageOnControl() : TControlPageTest(CreateLogonAsPage()) {}
  TFrmNTPersistentLogonAs& Form() { return static_cast<TFrmNTPersistentLogonAs&>(object_->Form()); }

  // The page edits the control through a recorder.
  void OpenRecorded(const char* machine) {
    CreateControl(machine);
    recorder_ = Make<TRecordingDispatch>(*control_.get(), log_);
    ShowPage(recorder_.get());
    writes().clear();
  }
  ComPtr<IDispatch> Credentials() {
    return VariantToDispatch(*CallByName(*control_.get(), L"LogonAs", DISPATCH_PROPERTYGET).get());
  }
  std::string Credential(const wchar_t* name) {
    return VariantToString(*CallByName(*Credentials().get(), name, DISPATCH_PROPERTYGET).get());
  }

  std::shared_ptr<TCallLog> log_ = std::make_shared<TCallLog>();
  TWriteLog& writes() { return log_->writes; }
  ComPtr<TRecordingDispatch> recorder_;
};

TEST_F(LogonPageOnControl, PickingAMachineWritesTheCredentialsFirst) {
  OpenRecorded("\\\\CORVSRV");
  Form().edtUserName().SetText("CORVDC\\admin");
  Form().edtPassword().SetText("s3cret");
  PickMachine(0);
  const std::string picked = Form().cmbMachineName().Items()[0];
  EXPECT_EQ(writes(), (TWriteLog{"UserName=CORVDC\\admin", "Password=s3cret", "MachineName=" + picked}));
  EXPECT_EQ(MachineName(), picked);
  EXPECT_EQ(Credential(L"UserName"), "CORVDC\\admin");
  EXPECT_EQ(Credential(L"Password"), "s3cret");
}

TEST_F(LogonPageOnControl, LoadsTheStoredCredentialsAndAppliesClearedOnesAsEmpty) {
  CreateControl("\\\\CORVSRV");
  PutStringByName(*Credentials().get(), L"UserName", "operator");
  PutStringByName(*Credentials().get(), L"Password", "hidden");
  recorder_ = Make<TRecordingDispatch>(*control_.get(), log_);
  ShowPage(recorder_.get());
  EXPECT_EQ(Form().edtUserName().Text(), "operator");
  EXPECT_EQ(Form().edtPassword().Text(), "hidden");
  EXPECT_EQ(frame_.IsPageDirty(), S_FALSE);

  writes().clear();
  Form().edtUserName().SetText("");
  Form().edtPassword().SetText("");
  EXPECT_EQ(frame_.IsPageDirty(), S_OK);
  EXPECT_EQ(frame_.Apply(), S_OK);
  EXPECT_EQ(writes(), (TWriteLog{"UserName=", "Password="}));
  EXPECT_EQ(Credential(L"UserName"), "");
  EXPECT_EQ(Credential(L"Password"), "");
  EXPECT_EQ(frame_.IsPageDirty(), S_FALSE);
}

TEST_F(LogonPageOnControl, LaysOutTheDesign) {
  Open("\\\\CORVSRV");
  TFrmNTPersistentLogonAs& form = Form();
  test::ExpectSoundLayout(form);
  // The keyboard goes through the windows in their order: machine, user name, password, then the
  // (disabled) note's panel.
  EXPECT_EQ(test::TabStops(form), (std::vector<std::string>{"cmbMachineName", "edtUserName", "edtPassword",
                                                "Panel1"}));
  EXPECT_EQ(SendMessageA(form.edtPassword().Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
  EXPECT_FALSE(form.Panel1().Enabled());
  EXPECT_EQ(form.Memo1().Text(),
            "In order to have full access to the managed computer you must have \r\n"
            "administrative privileges. You may use LogonAs property to provide administrative \r\n"
            "logon. The session with new credentials will be established at the moment of \r\n"
            "changing MachineName propety.");
  const pageframe::TPageInfo info = frame_.PageInfo();
  EXPECT_EQ(info.title, L"LogonAs");
  EXPECT_EQ(info.helpContext, 1102u);
}

}  // namespace
}  // namespace corvane::pages
