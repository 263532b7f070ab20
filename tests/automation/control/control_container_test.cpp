// The event-log control as a container meets it: saved state in a stream and in a property bag,
// OnChange through the connection point, ambient user mode through a client site, predefined
// values and property pages for a property browser.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h:
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "ComponentTestSupport.h"
#include "common/ThreadCount.h"
#include "ControlEvents.h"
#include "ControlTestSupport.h"
#include "automation/VEVivudAreX.h"
#include "framework/WinHandle.h"
#include "framework/com/UniqueTaskMem.h"

namespace corvane::control_test {
namespace {

using component_test::PumpFor;
using component_test::PumpUntil;
using component_test::TestLog;
using component_test::WriteEvents;
using component_test::WriteFromOtherProcess;

class ControlContainerTest : public ControlTest {};

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// A control on the test's log, opened.
ComPtr<IDispatch> OpenControl(const TestLog& log) {
  ComPtr<IDispatch> control = NewControl();
  Put(*control.get(), L"SourceName", Text(Wide(log.Name())));
  EXPECT_EQ(Put(*control.get(), L"Active", Bool(true)), S_OK);
  return control;
}

TEST_F(ControlContainerTest, AStreamBringsPropertiesAndCredentialsBackAndReopensTheLog) {
  TestLog log("ctlstream", {"CtlSource"});
  WriteEvents(log.Name(), 2);
  ComPtr<IDispatch> original = OpenControl(log);
  Put(*original.get(), L"IncludeUserName", Bool(false));
  ComPtr<IDispatch> credentials = AsObject(Get(*original.get(), L"LogonAs"));
  Put(*credentials.get(), L"UserName", Text(L"operator"));
  Put(*credentials.get(), L"Password", Text(L"s3cret"));
  const std::vector<uint8_t> saved = SavedState(*original.get());

  ComPtr<IDispatch> restored = NewControl();
  ASSERT_EQ(Restore(*restored.get(), saved), S_OK);
  EXPECT_EQ(AsText(Get(*restored.get(), L"SourceName")), Wide(log.Name()));
  EXPECT_EQ(V_BOOL(Get(*restored.get(), L"IncludeUserName").get()), VARIANT_FALSE);
  EXPECT_EQ(V_BOOL(Get(*restored.get(), L"Active").get()), VARIANT_TRUE);
  EXPECT_EQ(AsLong(Get(*restored.get(), L"Count")), 2);
  ComPtr<IDispatch> restoredCredentials = AsObject(Get(*restored.get(), L"LogonAs"));
  EXPECT_EQ(AsText(Get(*restoredCredentials.get(), L"UserName")), L"operator");
  EXPECT_EQ(AsText(Get(*restoredCredentials.get(), L"Password")), L"s3cret");

  // Cut short, or one payload byte changed: refused, and the control stays as it was.
  std::vector<uint8_t> truncated(saved.begin(), saved.end() - 3);
  std::vector<uint8_t> damaged = saved;
  damaged[damaged.size() - 2] ^= 0x20;
  for (const auto& bad : {truncated, damaged}) {
    ComPtr<IDispatch> target = NewControl();
    Put(*target.get(), L"SourceName", Text(L"Before"));
    EXPECT_EQ(Restore(*target.get(), bad), static_cast<HRESULT>(0x80030109));
    EXPECT_FALSE(TakeErrorRecord().description.empty());
    EXPECT_EQ(AsText(Get(*target.get(), L"SourceName")), L"Before");
    EXPECT_EQ(V_BOOL(Get(*target.get(), L"Active").get()), VARIANT_FALSE);
  }
}

TEST_F(ControlContainerTest, OnChangeReachesTheOneConnectedSinkWhenAnotherProcessWrites) {
  TestLog log("ctlchange", {"CtlSource"});
  // Restored from a stream with Active saved: that is what starts the watcher.
  const std::vector<uint8_t> saved = SavedState(*OpenControl(log).get());
  ComPtr<IDispatch> control = NewControl();
  ASSERT_EQ(Restore(*control.get(), saved), S_OK);

  ComPtr<Sink> first = Make<Sink>();
  ComPtr<Sink> second = Make<Sink>();
  ComPtr<IConnectionPoint> point = EventsPoint(*control.get());
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(first->Identity(), &cookie), S_OK);
  DWORD refused = 0;
  EXPECT_EQ(point->Advise(second->Identity(), &refused), CONNECT_E_ADVISELIMIT);

  ASSERT_TRUE(WriteFromOtherProcess(log.Name(), 1));
  ASSERT_TRUE(PumpUntil([&] { return first->onChange > 0; }, 10000));
  EXPECT_EQ(first->lastId, 2);
  EXPECT_EQ(second->onChange, 0);
  // The control goes on after the sink failed.
  EXPECT_EQ(AsLong(Get(*control.get(), L"Count")), 1);

  EXPECT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(point->Advise(second->Identity(), &cookie), S_OK);
}

TEST_F(ControlContainerTest, OnChangeReachesTheSinkOfAControlThatWasNeverRestored) {
  TestLog log("ctlfresh", {"CtlSource"});
  // As a script host makes it: created, opened through its members, a sink connected.
  ComPtr<IDispatch> control = OpenControl(log);
  ComPtr<Sink> sink = Make<Sink>();
  DWORD cookie = 0;
  ASSERT_EQ(EventsPoint(*control.get())->Advise(sink->Identity(), &cookie), S_OK);
  ASSERT_TRUE(WriteFromOtherProcess(log.Name(), 1));
  EXPECT_TRUE(PumpUntil([&] { return sink->onChange > 0; }, 10000));
  EXPECT_EQ(EventsPoint(*control.get())->Unadvise(cookie), S_OK);
}

TEST_F(ControlContainerTest, DestroyingControlsWithAChangePendingLeavesNoThreadBehind) {
  TestLog log("ctldestroy", {"CtlSource"});
  const std::vector<uint8_t> saved = SavedState(*OpenControl(log).get());
  PumpFor(100);
  const int before = ThreadsOfThisProcess();
  for (int i = 0; i < 300; ++i) {
    ComPtr<IDispatch> control = NewControl();
    ASSERT_EQ(Restore(*control.get(), saved), S_OK);
    ComPtr<Sink> sink = Make<Sink>();
    DWORD cookie = 0;
    EventsPoint(*control.get())->Advise(sink->Identity(), &cookie);
    WriteEvents(log.Name(), 1);
  }
  PumpFor(600);
  EXPECT_LE(ThreadsOfThisProcess(), before + 1);
}

// A property bag of the test's own.
class Bag final : public ComObject<Bag, IPropertyBag> {
 public:
  std::map<std::wstring, UniqueVariant> values;
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) noexcept override {
    auto found = values.find(name);
    if (found == values.end()) return E_INVALIDARG;
    return VariantCopy(value, const_cast<VARIANT*>(found->second.get()));
  }
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) noexcept override {
    UniqueVariant copy;
    VariantCopy(copy.put(), value);
    values[name] = std::move(copy);
    return S_OK;
  }
};

TEST_F(ControlContainerTest, APropertyBagHoldsThePublishedPropertiesAndSetsThemThroughTheMembers) {
  ComPtr<IDispatch> control = NewControl();
  Put(*control.get(), L"SourceName", Text(L"Application"));
  ComPtr<Bag> bag = Make<Bag>();
  ASSERT_EQ(control.query<IPersistPropertyBag>()->Save(bag.get(), TRUE, TRUE), S_OK);
  ASSERT_TRUE(bag->values.count(L"SourceName"));
  EXPECT_EQ(AsText(bag->values[L"SourceName"]), L"Application");
  EXPECT_TRUE(bag->values.count(L"MachineName"));
  // The credentials are an object, saved through their own properties in a stream only.
  EXPECT_FALSE(bag->values.count(L"LogonAs"));

  ComPtr<Bag> incoming = Make<Bag>();
  incoming->values[L"SourceName"] = Text(L"System");
  ComPtr<IDispatch> restored = NewControl();
  ASSERT_EQ(restored.query<IPersistPropertyBag>()->Load(incoming.get(), nullptr), S_OK);
  EXPECT_EQ(AsText(Get(*restored.get(), L"SourceName")), L"System");
}

TEST_F(ControlContainerTest, ABagThatOpensABackupNamesTheFileBeforeOpening) {
  TestLog log("ctlbagbackup");
  WriteEvents(log.Name(), 2);
  const std::wstring backup = Wide(log.Scratch("saved.evt"));
  ComPtr<IDispatch> writer = OpenControl(log);
  Put(*writer.get(), L"BackupFileName", Text(backup));
  ASSERT_EQ(Invoke(*writer.get(), L"BackupEventLog", DISPATCH_METHOD, {}), S_OK);
  WriteEvents(log.Name(), 1);

  ComPtr<Bag> bag = Make<Bag>();
  bag->values[L"SourceName"] = Text(Wide(log.Name()));
  bag->values[L"Active"] = Bool(true);
  bag->values[L"BackupFileName"] = Text(backup);
  ComPtr<IDispatch> restored = NewControl();
  ASSERT_EQ(restored.query<IPersistPropertyBag>()->Load(bag.get(), nullptr), S_OK);
  EXPECT_EQ(AsLong(Get(*restored.get(), L"Count")), 2);
}

TEST_F(ControlContainerTest, AContainerDrawsTheFaceWhereItsBoundsSay) {
  ComPtr<IDispatch> control = NewControl();
  const TMemoryDC memory(CreateCompatibleDC(nullptr));
  const HDC dc = memory.get();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 40;
  info.bmiHeader.biHeight = -40;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const TGdiObject<HBITMAP> section(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  ASSERT_TRUE(section);
  const TSelection selected(dc, section.get());
  auto* pixels = static_cast<uint32_t*>(bits);
  std::fill(pixels, pixels + 40 * 40, 0x123456u);
  const RECTL bounds{5, 7, 33, 35};
  EXPECT_EQ(control.query<IViewObject2>()->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds,
                                                 nullptr, nullptr, 0),
            S_OK);
  GdiFlush();
  EXPECT_EQ(pixels[7 * 40 + 5] & 0xFFFFFFu, 0xFFFFFFu);  // the frame's white corner at the bounds' origin
  EXPECT_EQ(pixels[6 * 40 + 4] & 0xFFFFFFu, 0x123456u);  // nothing drawn before it
  SIZEL extent{};
  EXPECT_EQ(control.query<IOleObject>()->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
  EXPECT_GT(extent.cx, 0);
}

// A client site whose ambient user mode answers as the test says.
struct SiteEntry : IDispatch {
  using AnsweredInterfaces = InterfaceList<IDispatch>;
};
class Site final : public ComObject<Site, IOleClientSite, SiteEntry> {
 public:
  explicit Site(HRESULT answer, bool userMode) : answer_(answer), userMode_(userMode) {}
  HRESULT STDMETHODCALLTYPE SaveObject() noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer**) noexcept override { return E_NOINTERFACE; }
  HRESULT STDMETHODCALLTYPE ShowObject() noexcept override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) noexcept override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) noexcept override {
    if (id != DISPID_AMBIENT_USERMODE || !(flags & DISPATCH_PROPERTYGET) || result == nullptr) {
      return DISP_E_MEMBERNOTFOUND;
    }
    if (FAILED(answer_)) return answer_;
    V_VT(result) = VT_BOOL;
    V_BOOL(result) = userMode_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }

 private:
  HRESULT answer_;
  bool userMode_;
};

bool DesignModeWith(IOleClientSite* site) {
  ComPtr<TVEVivudAreX> control = Make<TVEVivudAreX>();
  control->Initialize();
  if (site != nullptr) {
    EXPECT_EQ(control.query<IOleObject>()->SetClientSite(site), S_OK);
  }
  const bool design = control->Component().IsDesignMode();
  control.query<IOleObject>()->SetClientSite(nullptr);
  return design;
}

TEST_F(ControlContainerTest, DesignModeIsTheContainersUserModeInverted) {
  EXPECT_FALSE(DesignModeWith(nullptr));
  EXPECT_TRUE(DesignModeWith(Make<Site>(S_OK, false).get()));
  EXPECT_FALSE(DesignModeWith(Make<Site>(S_OK, true).get()));
  EXPECT_FALSE(DesignModeWith(Make<Site>(DISP_E_MEMBERNOTFOUND, false).get()));
  EXPECT_FALSE(DesignModeWith(Make<Site>(E_FAIL, false).get()));
}

TEST_F(ControlContainerTest, ABrowserIsOfferedTheSourcesAndThePagesInOrder) {
  TestLog log("ctlbrowse", {"CtlBrowseSource"});
  ComPtr<IDispatch> control = NewControl();
  ComPtr<IPerPropertyBrowsing> browsing = control.query<IPerPropertyBrowsing>();
  CALPOLESTR texts{};
  CADWORD cookies{};
  ASSERT_EQ(browsing->GetPredefinedStrings(14, &texts, &cookies), S_OK);
  UniqueTaskMem<LPOLESTR> textArray(texts.pElems);
  UniqueTaskMem<DWORD> cookieArray(cookies.pElems);
  std::vector<UniqueTaskMem<wchar_t>> owned;
  int found = -1;
  for (ULONG i = 0; i < texts.cElems; ++i) {
    owned.emplace_back(texts.pElems[i]);
    if (std::wstring(texts.pElems[i]) == L"CtlBrowseSource") found = static_cast<int>(i);
  }
  ASSERT_GE(found, 0);
  UniqueVariant value;
  ASSERT_EQ(browsing->GetPredefinedValue(14, cookies.pElems[found], value.put()), S_OK);
  EXPECT_EQ(AsText(value), L"CtlBrowseSource");
  UniqueVariant outside;
  EXPECT_TRUE(FAILED(browsing->GetPredefinedValue(14, texts.cElems + 5, outside.put())));
  EXPECT_EQ(outside.Type(), VT_EMPTY);

  CAUUID pages{};
  ASSERT_EQ(control.query<ISpecifyPropertyPages>()->GetPages(&pages), S_OK);
  UniqueTaskMem<GUID> pageArray(pages.pElems);
  ASSERT_EQ(pages.cElems, 3u);
  EXPECT_EQ(pages.pElems[0].Data1, 0xB7CD2C3Fu);
  EXPECT_EQ(pages.pElems[1].Data1, 0x9AC3090Cu);
  EXPECT_EQ(pages.pElems[2].Data1, 0xC0261BBBu);
}

}  // namespace
}  // namespace corvane::control_test
