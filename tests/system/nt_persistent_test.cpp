// The component base's published face, its design-mode question and its list reconciliation.
#include <gtest/gtest.h>

#include "framework/OleSysError.h"
#include "owner_control.h"
#include "system/NTCommon.h"
#include "system/PropUtil.h"
#include "system/WNetApi.h"

namespace corvane {
namespace {

// A component class as the event-log component declares itself: MachineName and LogonAs
// published, plus one property of its own.
class TLogComponent : public TNTPersistent {
 public:
  explicit TLogComponent(TComponent* owner) : TNTPersistent(owner) {}
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info(
        "TLogComponent", &TNTPersistent::StaticClassInfo(),
        {MachineNameProperty(), LogonAsProperty(),
         Published<TLogComponent>::String("SourceName", &TLogComponent::source,
                                          &TLogComponent::source)});
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  std::string source;
};

TEST(NTPersistentProperties, DottedPathsFindTheCredentialsInAnyLetterCase) {
  const TClassInfo& info = TLogComponent::StaticClassInfo();
  const TPropInfo* user = FindPublishedProperty(TLogonAs::StaticClassInfo(), "UserName");
  ASSERT_NE(user, nullptr);
  for (const char* path : {"LogonAs.UserName", "logonas.username", "LOGONAS.USERNAME"})
    EXPECT_EQ(FindPublishedProperty(info, path), user) << path;
  const TPropInfo* machine = FindPublishedProperty(info, "machinename");
  ASSERT_NE(machine, nullptr);
  EXPECT_EQ(machine->Name, "MachineName");
  EXPECT_EQ(FindPublishedProperty(info, "MachineName.Whatever"), machine);
  EXPECT_EQ(FindPublishedProperty(info, "logonas.password")->Name, "Password");
  EXPECT_EQ(FindPublishedProperty(info, "LogonAs.Domain"), nullptr);
  EXPECT_EQ(FindPublishedProperty(TNTPersistent::StaticClassInfo(), "MachineName"), nullptr);
  EXPECT_TRUE(machine->Stored);
  EXPECT_FALSE(machine->Default.has_value());
}

TEST(NTPersistentProperties, GenericAccessReachesTheComponentAndItsCredentials) {
  TLogComponent component(nullptr);
  EXPECT_EQ(component.ClassName(), "TLogComponent");
  const TClassInfo& info = TLogComponent::StaticClassInfo();
  FindPublishedProperty(info, "MachineName")->SetValue(component, std::string("\\\\HOST"));
  EXPECT_EQ(component.GetMachineName(), "\\\\HOST");

  const TPropInfo* logonAs = FindPublishedProperty(info, "LogonAs");
  ASSERT_EQ(logonAs->Kind, TTypeKind::Class);
  EXPECT_FALSE(logonAs->Writable());
  TPersistent* credentials = std::get<TPersistent*>(logonAs->GetValue(component));
  EXPECT_EQ(credentials, &component.LogonAs());
  FindPublishedProperty(info, "LogonAs.UserName")->SetValue(*credentials, std::string("admin"));
  FindPublishedProperty(info, "LogonAs.Password")->SetValue(*credentials, std::string("pw"));
  EXPECT_EQ(component.LogonAs().UserName(), "admin");
  EXPECT_EQ(component.LogonAs().Password(), "pw");
}

TEST(NTPersistent, DesignModeIsAskedOfTheHostingControl) {
  TNTPersistent component(nullptr);
  EXPECT_FALSE(component.IsDesignMode());
  testing::TestOwnerControl control;
  component.SetOwnerControl(&control);
  EXPECT_FALSE(component.IsDesignMode());
  control.designMode = true;
  EXPECT_TRUE(component.IsDesignMode());
  // The designer state of the component itself is not the question.
  component.SetOwnerControl(nullptr);
  component.SetDesigning(true);
  EXPECT_FALSE(component.IsDesignMode());
}

TEST(NTPersistent, LocalComputerNameIsTheSystemsName) {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof(name);
  ASSERT_TRUE(GetComputerNameA(name, &size));
  TNTPersistent component(nullptr);
  EXPECT_EQ(component.LocalComputerName(), name);
}

std::vector<std::string> Entries(const TStringList& list) { return {list.begin(), list.end()}; }

TEST(NTPersistent, UpdateStringsDeletesWhatWentAndAppendsWhatCame) {
  TNTPersistent component(nullptr);
  TStringList oldList{"Application", "Security", "System"};
  TStringList target{"app", "sec", "sys"};  // mirrors oldList position by position
  TStringList newList{"DNS Server", "SYSTEM", "application"};
  component.UpdateStrings(oldList, newList, target);
  // Security went (deleted at its position); the rest stays, letter case ignored; DNS Server came.
  EXPECT_EQ(Entries(target), (std::vector<std::string>{"app", "sys", "DNS Server"}));
  EXPECT_EQ(oldList.Count(), 3);

  TStringList empty;
  TStringList mirror{"a", "b"};
  component.UpdateStrings(TStringList{"a", "b"}, empty, mirror);
  EXPECT_EQ(mirror.Count(), 0);
  // A target that does not mirror the old list is refused rather than read out of bounds.
  TStringList shortTarget;
  EXPECT_THROW(component.UpdateStrings(TStringList{"a"}, empty, shortTarget), EOleSysError);
}

// A counted object standing in for the automation wrapper of the credentials.
class CountedWrapper : public IAdapterLink {
 public:
  void LinkAddRef() noexcept override { ++refs; }
  void LinkRelease() noexcept override { --refs; }
  void WrappedGone() noexcept override { told = true; }
  int refs = 1;
  bool told = false;
};

TEST(LogonAs, HoldsOneReferenceToItsWrapperAndTellsItWhenTheCredentialsGo) {
  CountedWrapper wrapper;
  {
    TLogonAs credentials;
    EXPECT_EQ(credentials.Adapter().Get(), nullptr);
    credentials.Adapter().Set(&wrapper);
    EXPECT_EQ(credentials.Adapter().Get(), &wrapper);
    EXPECT_EQ(wrapper.refs, 2);
    credentials.Adapter().Set(&wrapper);
    EXPECT_EQ(wrapper.refs, 2);
    EXPECT_FALSE(wrapper.told);
  }
  EXPECT_TRUE(wrapper.told);
  EXPECT_EQ(wrapper.refs, 1);
}

}  // namespace
}  // namespace corvane
