// Text a script hands the control, which it keeps in the ANSI code page: what that code page
// cannot hold is refused by every member that would store it or act on it, naming the member and
// the character, before anything is written. Run under code page 1252 and under 936.
#include <gtest/gtest.h>

#include <string>

#include "ComponentTestSupport.h"
#include "ControlTestSupport.h"

namespace corvane::control_test {
namespace {

using component_test::TestLog;

class ControlTextTest : public ControlTest {};

std::wstring Refusal(HRESULT result) {
  EXPECT_TRUE(FAILED(result));
  return TakeErrorRecord().description;
}

// Half a surrogate pair: no code page holds it.
const std::wstring kHalf = L"\xD800";
std::wstring HalfPairIn(const std::wstring& what, const std::wstring& position = L"U+D800 (character 1)") {
  return what + L" cannot hold " + position + L": half of a surrogate pair is not a character.";
}

TEST_F(ControlTextTest, TextTheCodePageCannotHoldIsRefusedByEveryMemberThatKeepsIt) {
  TestLog log("ctltext", {"CtlSource"});
  const std::wstring logName(log.Name().begin(), log.Name().end());
  ComPtr<IDispatch> control = NewControl();
  ASSERT_EQ(Put(*control.get(), L"SourceName", Text(logName)), S_OK);
  ASSERT_EQ(Put(*control.get(), L"Active", Bool(true)), S_OK);

  const std::wstring chinese = L"\u4E8B\u4EF6";
  if (GetACP() == 936) {
    ASSERT_EQ(Invoke(*control.get(), L"Add", DISPATCH_METHOD, Args(Long(4), Text(chinese))), S_OK);
    ComPtr<IDispatch> written = AsObject(Get(*control.get(), L"Objects", Args(Long(0))));
    EXPECT_EQ(AsText(Get(*AsObject(Get(*written.get(), L"Strings")).get(), L"Item", Args(Long(0)))), chinese);
  } else {
    EXPECT_EQ(Refusal(Invoke(*control.get(), L"Add", DISPATCH_METHOD, Args(Long(4), Text(L"x" + chinese)))),
              L"The text of Add cannot hold U+4E8B (character 2): code page 1252 has no such character."
              L" Nothing was written.");
    // A look-alike would open another log than the one named.
    EXPECT_EQ(Refusal(Put(*control.get(), L"SourceName", Text(L"\u0391pplication"))),
              L"SourceName cannot hold U+0391 (character 1): code page 1252 has no such character.");
  }
  const LONG count = AsLong(Get(*control.get(), L"Count"));
  EXPECT_EQ(Refusal(Invoke(*control.get(), L"Add", DISPATCH_METHOD, Args(Long(4), Text(kHalf + L"x")))),
            HalfPairIn(L"The text of Add") + L" Nothing was written.");
  EXPECT_EQ(AsLong(Get(*control.get(), L"Count")), count);

  for (const wchar_t* property : {L"SourceName", L"BackupFileName", L"MachineName"}) {
    const std::wstring before = AsText(Get(*control.get(), property));
    EXPECT_EQ(Refusal(Put(*control.get(), property, Text(L"ab" + kHalf))), HalfPairIn(property, L"U+D800 (character 3)"));
    EXPECT_EQ(AsText(Get(*control.get(), property)), before);
  }
  ComPtr<IDispatch> logonAs = AsObject(Get(*control.get(), L"LogonAs"));
  EXPECT_EQ(Refusal(Put(*logonAs.get(), L"UserName", Text(kHalf))), HalfPairIn(L"UserName"));
  // A password's characters are not repeated in a message.
  EXPECT_EQ(Refusal(Put(*logonAs.get(), L"Password", Text(kHalf))), HalfPairIn(L"Password", L"character 1"));
  EXPECT_EQ(Refusal(Invoke(*control.get(), L"GetServers", DISPATCH_METHOD, Args(Text(kHalf)))),
            HalfPairIn(L"The Server argument of GetServers"));
  EXPECT_EQ(Refusal(Invoke(*control.get(), L"GetAnyDomainController", DISPATCH_METHOD, Args(Text(kHalf)))),
            HalfPairIn(L"The Domain argument of GetAnyDomainController"));

  ComPtr<IDispatch> strings = AsObject(Get(*AsObject(Get(*control.get(), L"WriteObject")).get(), L"Strings"));
  ASSERT_EQ(Put(*strings.get(), L"Text", Text(L"kept\r\n?")), S_OK);
  EXPECT_EQ(Refusal(Invoke(*strings.get(), L"Add", DISPATCH_METHOD, Args(Text(kHalf)))), HalfPairIn(L"The value of Add"));
  EXPECT_EQ(Refusal(Invoke(*strings.get(), L"Item", DISPATCH_PROPERTYPUT, Args(Long(0), Text(kHalf)))),
            HalfPairIn(L"Item(0)"));
  EXPECT_EQ(Refusal(Put(*strings.get(), L"Text", Text(kHalf))), HalfPairIn(L"Text"));
  EXPECT_EQ(AsLong(Get(*strings.get(), L"Count")), 2);
  EXPECT_EQ(AsText(Get(*strings.get(), L"Item", Args(Long(0)))), L"kept");
  // Lookups answer that no such text is there.
  EXPECT_EQ(AsLong(Get(*strings.get(), L"IndexOf", Args(Text(kHalf)))), -1);
  EXPECT_EQ(V_BOOL(Get(*control.get(), L"ClassNameIs", Args(Text(L"\uFF34VEVivudAre"))).get()), VARIANT_FALSE);
}

}  // namespace
}  // namespace corvane::control_test
