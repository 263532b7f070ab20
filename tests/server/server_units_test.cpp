// Library start and class lookup, on this program's own copy of the server's units (the module
// lock is checked on Corvane.ocx itself). A small class stands in for the control.
#include <windows.h>
#include <objbase.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Corvane.h"
#include "automation/CreateRendal.h"
#include "automation/LibraryStart.h"
#include "automation/ServerEntry.h"
#include "framework/com/ComObject.h"
#include "system/SystemTables.h"

namespace corvane {
namespace {

class TStandIn final : public ComObject<TStandIn, IPersist> {
 public:
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) noexcept override {
    *clsid = __uuidof(Rendal);
    return S_OK;
  }
};

}  // namespace

HRESULT CreateRendal(IUnknown* outer, REFIID iid, void** out) noexcept {
  *out = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  return Make<TStandIn>()->QueryInterface(iid, out);
}

namespace {

class ServerUnits : public testing::Test {
 protected:
  void TearDown() override {
    ObserveLibraryUnits(nullptr);
    FinishLibrary();
  }

  static ComPtr<IClassFactory> RendalFactory() {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(ServerGetClassObject(__uuidof(Rendal), IID_IClassFactory, factory.put_void()), S_OK);
    return factory;
  }
};

TEST_F(ServerUnits, StartInTheirOrderOnceAndFinishInReverse) {
  std::vector<std::string> calls;
  ObserveLibraryUnits([&](const char* unit, bool starting) {
    calls.push_back(std::string(starting ? "start " : "finish ") + unit);
  });
  RendalFactory();
  RendalFactory();
  ASSERT_EQ(calls, (std::vector<std::string>{"start server object", "start system tables",
                                             "start account cache", "start Rendal factory"}));
  EXPECT_GT(DescribeSystemTables()[0].bound, 0);

  calls.clear();
  FinishLibrary();
  EXPECT_EQ(calls, (std::vector<std::string>{"finish Rendal factory", "finish account cache",
                                             "finish system tables", "finish server object"}));
}

TEST_F(ServerUnits, UnknownClassGivesNoObjectAndAMissingInterfaceIsRefused) {
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(ServerGetClassObject(IID_IPersist, IID_IClassFactory, &object),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
  object = reinterpret_cast<void*>(1);
  EXPECT_EQ(ServerGetClassObject(__uuidof(Rendal), IID_IClassFactory2, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
}

}  // namespace
}  // namespace corvane
