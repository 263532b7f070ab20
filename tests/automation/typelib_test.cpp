// The automation contract as containers see it: both type libraries as built, read back through
// the system's type library loader.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Corvane.h"
#include "TypeLibOwners.h"
#include "framework/com/ComPtr.h"
#include "framework/com/UniqueBstr.h"

using corvane::tlborder::FuncDesc;
using corvane::tlborder::TypeAttr;
using corvane::tlborder::VarDesc;
using corvane::ComPtr;
using corvane::UniqueBstr;

namespace {

const GUID kCorvaneLib = {0x564F24F5, 0xD8BA, 0x47CF, {0x81, 0x7E, 0x11, 0x16, 0x12, 0xE1, 0x8C, 0xA8}};
// Function tables hold one pointer per slot: a library describes its own width's tables.
constexpr short kSlot = sizeof(void*);
constexpr SYSKIND kOwnSystem = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
const GUID kPersistentLib = {0x66AFC8C9, 0xA80D, 0x4252, {0x83, 0x3A, 0x7C, 0xDE, 0x87, 0x52, 0x7C, 0xA7}};

ComPtr<ITypeLib> Load(const wchar_t* file) {
  const std::string dir = CORVANE_OUTPUT_DIR;
  std::wstring path(dir.begin(), dir.end());
  path += L"/";
  path += file;
  ComPtr<ITypeLib> lib;
  EXPECT_EQ(LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib.put()), S_OK);
  return lib;
}

struct Docs {
  std::wstring Name, Help;
  DWORD Context = 0;
};

Docs Documentation(ITypeInfo* info, MEMBERID member) {
  UniqueBstr name, help;
  Docs docs;
  EXPECT_EQ(info->GetDocumentation(member, name.put(), help.put(), &docs.Context, nullptr), S_OK);
  if (name) docs.Name = name.get();
  if (help) docs.Help = help.get();
  return docs;
}

ComPtr<ITypeInfo> Type(ITypeLib* lib, const GUID& guid) {
  ComPtr<ITypeInfo> info;
  EXPECT_EQ(lib->GetTypeInfoOfGuid(guid, info.put()), S_OK);
  return info;
}

// The vtable side of a dual interface, where the function table and parameter names live.
ComPtr<ITypeInfo> InterfaceSide(ITypeInfo* dispatch) {
  HREFTYPE ref = 0;
  EXPECT_EQ(dispatch->GetRefTypeOfImplType(-1, &ref), S_OK);
  ComPtr<ITypeInfo> side;
  EXPECT_EQ(dispatch->GetRefTypeInfo(ref, side.put()), S_OK);
  return side;
}

MEMBERID IdOf(ITypeInfo* info, const wchar_t* name) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  MEMBERID id = DISPID_UNKNOWN;
  EXPECT_EQ(info->GetIDsOfNames(names, 1, &id), S_OK);
  return id;
}

class EmbeddedLibrary : public ::testing::Test {
 protected:
  ComPtr<ITypeLib> lib_ = Load(L"Corvane.tlb");
};

TEST_F(EmbeddedLibrary, CarriesItsAttributes) {
  ASSERT_TRUE(lib_);
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(lib_->GetLibAttr(&attr), S_OK);
  EXPECT_EQ(attr->guid, kCorvaneLib);
  EXPECT_EQ(attr->lcid, 0x409u);
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  EXPECT_EQ(attr->wLibFlags & ~LIBFLAG_FHASDISKIMAGE, LIBFLAG_FCONTROL);
  EXPECT_EQ(attr->syskind, kOwnSystem) << "registered under its width's key";
  lib_->ReleaseTLibAttr(attr);

  UniqueBstr name, help, file;
  ASSERT_EQ(lib_->GetDocumentation(-1, name.put(), help.put(), nullptr, file.put()), S_OK);
  EXPECT_STREQ(name.get(), L"Corvane");
  EXPECT_STREQ(help.get(), L"Rendal control for Windows NT");
  ASSERT_TRUE(file);
  const std::wstring path = file.get();
  EXPECT_EQ(path.substr(path.size() - 10), L"korvel.hlp");
}

TEST_F(EmbeddedLibrary, HoldsItsSixTypesInTheContractOrder) {
  ASSERT_TRUE(lib_);
  const struct {
    const wchar_t* Name;
    TYPEKIND Kind;
  } expected[] = {{L"IVEVivudAreXEvents", TKIND_DISPATCH}, {L"IVEVivudAreX", TKIND_DISPATCH},
                  {L"Rendal", TKIND_COCLASS},              {L"TEventType", TKIND_ENUM},
                  {L"IEventItem", TKIND_DISPATCH},         {L"IByteList", TKIND_DISPATCH}};
  ASSERT_EQ(lib_->GetTypeInfoCount(), 6u);
  for (UINT i = 0; i < 6; ++i) {
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(lib_->GetTypeInfo(i, info.put()), S_OK);
    EXPECT_EQ(Documentation(info.get(), MEMBERID_NIL).Name, expected[i].Name) << i;
    TYPEKIND kind;
    ASSERT_EQ(lib_->GetTypeInfoType(i, &kind), S_OK);
    EXPECT_EQ(kind, expected[i].Kind) << i;
  }
}

TEST_F(EmbeddedLibrary, ControlInterfaceAppendsItsMembersToThePersistentBase) {
  ASSERT_TRUE(lib_);
  ComPtr<ITypeInfo> dispatch = Type(lib_.get(), __uuidof(IVEVivudAreX));
  ComPtr<ITypeInfo> info = InterfaceSide(dispatch.get());
  TypeAttr attr(info.get());
  ASSERT_EQ(info->GetTypeAttr(attr.put()), S_OK);
  EXPECT_EQ(attr->cbSizeVft / kSlot, 41);
  EXPECT_EQ(attr->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION),
            TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION);
  const Docs docs = Documentation(dispatch.get(), MEMBERID_NIL);
  EXPECT_EQ(docs.Help, L"Dispatch interface for VEVivudAreX Control");
  EXPECT_EQ(docs.Context, 6000u);

  // The base comes from the persistent library, not from a copy of it.
  HREFTYPE ref = 0;
  ASSERT_EQ(info->GetRefTypeOfImplType(0, &ref), S_OK);
  ComPtr<ITypeInfo> base;
  ASSERT_EQ(info->GetRefTypeInfo(ref, base.put()), S_OK);
  ComPtr<ITypeLib> home;
  UINT index = 0;
  ASSERT_EQ(base->GetContainingTypeLib(home.put(), &index), S_OK);
  TLIBATTR* homeAttr = nullptr;
  ASSERT_EQ(home->GetLibAttr(&homeAttr), S_OK);
  EXPECT_EQ(homeAttr->guid, kPersistentLib);
  home->ReleaseTLibAttr(homeAttr);
  EXPECT_EQ(Documentation(base.get(), MEMBERID_NIL).Name, L"INTPersistentX");

  const struct {
    const wchar_t* Name;
    MEMBERID Id;
    INVOKEKIND Kind;
  } expected[] = {
      {L"SourceName", 14, INVOKE_PROPERTYGET},      {L"SourceName", 14, INVOKE_PROPERTYPUT},
      {L"Active", 15, INVOKE_PROPERTYGET},          {L"Active", 15, INVOKE_PROPERTYPUT},
      {L"BackupFileName", 16, INVOKE_PROPERTYGET},  {L"BackupFileName", 16, INVOKE_PROPERTYPUT},
      {L"IncludeUserName", 17, INVOKE_PROPERTYGET}, {L"IncludeUserName", 17, INVOKE_PROPERTYPUT},
      {L"Clear", 18, INVOKE_FUNC},                  {L"Add", 19, INVOKE_FUNC},
      {L"BackupEventLog", 20, INVOKE_FUNC},         {L"Handle", 21, INVOKE_PROPERTYGET},
      {L"Items", 22, INVOKE_PROPERTYGET},           {L"Objects", 23, INVOKE_PROPERTYGET},
      {L"GetEventSources", 24, INVOKE_FUNC},        {L"WriteObject", 29, INVOKE_PROPERTYGET},
      {L"AddObject", 30, INVOKE_FUNC},              {L"Count", 11, INVOKE_FUNC}};
  ASSERT_EQ(attr->cFuncs, 18);
  for (UINT i = 0; i < 18; ++i) {
    FuncDesc func(info.get());
    ASSERT_EQ(info->GetFuncDesc(i, func.put()), S_OK);
    EXPECT_EQ(func->oVft / kSlot, static_cast<short>(23 + i)) << i;
    EXPECT_EQ(func->memid, expected[i].Id) << i;
    EXPECT_EQ(func->invkind, expected[i].Kind) << i;
    EXPECT_EQ(Documentation(info.get(), func->memid).Name, expected[i].Name) << i;
  }

  // The value scripts see keeps its name, and help texts stand exactly as written.
  BSTR names[3] = {};
  UINT got = 0;
  ASSERT_EQ(info->GetNames(23, names, 3, &got), S_OK);
  std::vector<UniqueBstr> owned(names, names + got);
  ASSERT_EQ(got, 3u);
  EXPECT_STREQ(names[1], L"Index");
  EXPECT_STREQ(names[2], L"Value");
  EXPECT_EQ(Documentation(info.get(), 17).Help,
            L"Defines whether or not the name of acive user will be written into the event log "
            L"along wtith a new  event");
  EXPECT_EQ(Documentation(info.get(), 17).Context, 6104u);
}

TEST_F(EmbeddedLibrary, NamesResolveWithoutRegardToCase) {
  ASSERT_TRUE(lib_);
  ComPtr<ITypeInfo> control = Type(lib_.get(), __uuidof(IVEVivudAreX));
  for (const wchar_t* name : {L"count", L"COUNT", L"Count"}) EXPECT_EQ(IdOf(control.get(), name), 11);
  ComPtr<ITypeInfo> item = Type(lib_.get(), __uuidof(IEventItem));
  EXPECT_EQ(IdOf(item.get(), L"UserName"), 7);
  EXPECT_EQ(IdOf(item.get(), L"Eventcategory"), 18);
}

TEST_F(EmbeddedLibrary, EventTypeHoldsTheSystemCodesInFourBytes) {
  ASSERT_TRUE(lib_);
  ComPtr<ITypeInfo> info;
  ASSERT_EQ(lib_->GetTypeInfo(3, info.put()), S_OK);
  TypeAttr attr(info.get());
  ASSERT_EQ(info->GetTypeAttr(attr.put()), S_OK);
  EXPECT_EQ(attr->cbSizeInstance, 4u);
  EXPECT_EQ(Documentation(info.get(), MEMBERID_NIL).Help, L"The type describes severity of event");
  const struct {
    const wchar_t* Name;
    long Value;
  } expected[] = {{L"EVT_SUCCESS", 0},     {L"EVT_ERROR", 1},         {L"EVT_WARNING", 2},
                  {L"EVT_INFORMATION", 4}, {L"EVT_AUDIT_SUCCESS", 8}, {L"EVT_AUDIT_FAILURE", 16}};
  ASSERT_EQ(attr->cVars, 6);
  for (UINT i = 0; i < 6; ++i) {
    VarDesc var(info.get());
    ASSERT_EQ(info->GetVarDesc(i, var.put()), S_OK);
    EXPECT_EQ(Documentation(info.get(), var->memid).Name, expected[i].Name);
    EXPECT_EQ(V_I4(var->lpvarValue), expected[i].Value) << i;
  }
}

TEST_F(EmbeddedLibrary, EventsInterfaceDeclaresOnlyOnChange) {
  ASSERT_TRUE(lib_);
  ComPtr<ITypeInfo> info = Type(lib_.get(), __uuidof(IVEVivudAreXEvents));
  TypeAttr attr(info.get());
  ASSERT_EQ(info->GetTypeAttr(attr.put()), S_OK);
  EXPECT_EQ(attr->wTypeFlags & TYPEFLAG_FDUAL, 0);
  ASSERT_EQ(attr->cFuncs, 1);
  FuncDesc func(info.get());
  ASSERT_EQ(info->GetFuncDesc(0, func.put()), S_OK);
  EXPECT_EQ(func->memid, 2);
  EXPECT_EQ(func->cParams, 0);
  EXPECT_EQ(Documentation(info.get(), 2).Name, L"OnChange");
}

TEST_F(EmbeddedLibrary, RendalIsCreatableWithTheControlInterfaceAndItsEvents) {
  ASSERT_TRUE(lib_);
  ComPtr<ITypeInfo> info = Type(lib_.get(), __uuidof(Rendal));
  TypeAttr attr(info.get());
  ASSERT_EQ(info->GetTypeAttr(attr.put()), S_OK);
  EXPECT_EQ(attr->wTypeFlags, TYPEFLAG_FCANCREATE);
  EXPECT_EQ(Documentation(info.get(), MEMBERID_NIL).Context, 6000u);
  ASSERT_EQ(attr->cImplTypes, 2);
  const struct {
    GUID Iid;
    INT Flags;
  } expected[] = {{__uuidof(IVEVivudAreX), IMPLTYPEFLAG_FDEFAULT},
                  {__uuidof(IVEVivudAreXEvents), IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE}};
  for (UINT i = 0; i < 2; ++i) {
    HREFTYPE ref = 0;
    ASSERT_EQ(info->GetRefTypeOfImplType(i, &ref), S_OK);
    ComPtr<ITypeInfo> implemented;
    ASSERT_EQ(info->GetRefTypeInfo(ref, implemented.put()), S_OK);
    TypeAttr implementedAttr(implemented.get());
    ASSERT_EQ(implemented->GetTypeAttr(implementedAttr.put()), S_OK);
    EXPECT_EQ(implementedAttr->guid, expected[i].Iid) << i;
    INT flags = 0;
    ASSERT_EQ(info->GetImplTypeFlags(i, &flags), S_OK);
    EXPECT_EQ(flags, expected[i].Flags) << i;
  }
}

TEST(PersistentLibrary, BaseInterfaceKeepsItsTableAndMachineNameId) {
  ComPtr<ITypeLib> lib = Load(L"VuvazeRUridazorar.tlb");
  ASSERT_TRUE(lib);
  ComPtr<ITypeInfo> dispatch = Type(lib.get(), __uuidof(INTPersistentX));
  EXPECT_EQ(IdOf(dispatch.get(), L"machinename"), 10);
  ComPtr<ITypeInfo> info = InterfaceSide(dispatch.get());
  TypeAttr attr(info.get());
  ASSERT_EQ(info->GetTypeAttr(attr.put()), S_OK);
  EXPECT_EQ(attr->cFuncs, 16);
  EXPECT_EQ(attr->cbSizeVft / kSlot, 23);
}

}  // namespace
