// Published-property metadata: inheritance order, generic access, and the dotted-path lookup.
#include <gtest/gtest.h>

#include "framework/Component.h"
#include "framework/OleSysError.h"
#include "framework/PropertyInfo.h"
#include "system/PropUtil.h"

namespace corvane {
namespace {

class TCredentials : public TPersistent {
 public:
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info(
        "TCredentials", &TPersistent::StaticClassInfo(),
        {Published<TCredentials>::String("UserName", &TCredentials::user, &TCredentials::user)});
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  std::string user;
};

class TBase : public TComponent {
 public:
  TBase() : TComponent(nullptr) {}
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info(
        "TBase", &TComponent::StaticClassInfo(),
        {Published<TBase>::String("Machine", &TBase::Machine, &TBase::SetMachine),
         Published<TBase>::Object("Logon", TCredentials::StaticClassInfo(),
                                  [](TBase& b) -> TCredentials& { return b.logon; }, nullptr)});
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  std::string Machine() const { return machine; }
  void SetMachine(const std::string& value) {
    machine = value;
    ++writes;
  }
  std::string machine;
  int writes = 0;
  TCredentials logon;
};

class TDerived : public TBase {
 public:
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info(
        "TDerived", &TBase::StaticClassInfo(),
        {Published<TDerived>::Boolean("Active", &TDerived::active, &TDerived::active, false),
         Published<TDerived>::Integer("Limit", &TDerived::limit, nullptr, 10, false),
         Published<TDerived>::Event("OnChange")});
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  bool active = false;
  int32_t limit = 10;
};

std::vector<std::string> Names(const TClassInfo& info) {
  std::vector<std::string> names;
  for (const TPropInfo* p : info.Properties()) names.push_back(p->Name);
  return names;
}

TEST(PropertyInfo, ClassListsItsParentsPropertiesFirst) {
  EXPECT_EQ(Names(TDerived::StaticClassInfo()),
            (std::vector<std::string>{"Machine", "Logon", "Active", "Limit", "OnChange"}));
  TDerived object;
  EXPECT_EQ(object.ClassName(), "TDerived");
  EXPECT_TRUE(TDerived::StaticClassInfo().InheritsFrom(TComponent::StaticClassInfo()));
  EXPECT_FALSE(TBase::StaticClassInfo().InheritsFrom(TDerived::StaticClassInfo()));

  const auto& props = TDerived::StaticClassInfo().Properties();
  EXPECT_EQ(props[1]->Kind, TTypeKind::Class);
  EXPECT_EQ(props[1]->PropClass, &TCredentials::StaticClassInfo());
  EXPECT_EQ(props[2]->Default, 0);
  EXPECT_FALSE(props[3]->Stored);
  EXPECT_TRUE(props[3]->Readable());
  EXPECT_FALSE(props[3]->Writable());
  EXPECT_EQ(props[4]->Kind, TTypeKind::Method);
  EXPECT_FALSE(props[4]->Readable());
}

TEST(PropertyInfo, AccessorsReadAndWriteThroughTheClassesOwnMembers) {
  TDerived object;
  const auto& props = TDerived::StaticClassInfo().Properties();
  props[0]->SetValue(object, std::string("\\\\HOST"));
  EXPECT_EQ(object.machine, "\\\\HOST");
  EXPECT_EQ(object.writes, 1);
  EXPECT_EQ(std::get<std::string>(props[0]->GetValue(object)), "\\\\HOST");

  props[2]->SetValue(object, true);
  EXPECT_TRUE(object.active);
  EXPECT_EQ(std::get<int32_t>(props[3]->GetValue(object)), 10);

  // A class-typed property yields the object itself, whose properties are then reached.
  TPersistent* logon = std::get<TPersistent*>(props[1]->GetValue(object));
  EXPECT_EQ(logon, &object.logon);
  TCredentials::StaticClassInfo().Properties()[0]->SetValue(*logon, std::string("admin"));
  EXPECT_EQ(object.logon.user, "admin");
}

TEST(PropertyInfo, MisuseIsRefusedWithAClearError) {
  TDerived object;
  TBase base;
  const auto& props = TDerived::StaticClassInfo().Properties();
  auto message = [](const std::function<void()>& action) -> std::string {
    try {
      action();
    } catch (const EOleSysError& e) {
      return e.Message();
    }
    return "(no error)";
  };
  EXPECT_EQ(message([&] { props[3]->SetValue(object, 5); }), "Property Limit is read-only");
  EXPECT_EQ(message([&] { props[4]->GetValue(object); }), "Property OnChange cannot be read");
  EXPECT_EQ(message([&] { props[0]->SetValue(object, 5); }), "Invalid value for property Machine");
  EXPECT_EQ(message([&] { props[2]->GetValue(base); }),
            "Property Active does not belong to an object of class TBase");
  EXPECT_EQ(object.writes, 0);
}

TEST(FindPublishedProperty, FindsNamesAndDottedPathsInAnyLetterCase) {
  const TClassInfo& info = TDerived::StaticClassInfo();
  const TPropInfo* user = TCredentials::StaticClassInfo().Properties()[0];
  EXPECT_EQ(FindPublishedProperty(info, "active"), info.Properties()[2]);
  EXPECT_EQ(FindPublishedProperty(info, "MACHINE"), info.Properties()[0]);
  EXPECT_EQ(FindPublishedProperty(info, "logon.username"), user);
  EXPECT_EQ(FindPublishedProperty(info, "LOGON.USERNAME"), user);
  // A path going past a property that is not of a class type stops at that property.
  EXPECT_EQ(FindPublishedProperty(info, "Machine.Anything.Else"), info.Properties()[0]);
  EXPECT_EQ(FindPublishedProperty(info, "Machine."), info.Properties()[0]);

  EXPECT_EQ(FindPublishedProperty(info, "Logon.Password"), nullptr);
  EXPECT_EQ(FindPublishedProperty(info, "Logon"), info.Properties()[1]);
  EXPECT_EQ(FindPublishedProperty(info, "Logon."), nullptr);
  EXPECT_EQ(FindPublishedProperty(info, "Nothing.UserName"), nullptr);
  EXPECT_EQ(FindPublishedProperty(info, ""), nullptr);
  EXPECT_EQ(FindPublishedProperty(TBase::StaticClassInfo(), "Active"), nullptr);
}

}  // namespace
}  // namespace corvane
