// The type library compiled by widl and embedded by windres loads from the executable itself.
#include <windows.h>
#include <oleauto.h>
#include <gtest/gtest.h>

namespace {

TEST(Toolchain, EmbeddedTypeLibraryDescribesItsInterface) {
  char path[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
  wchar_t wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH);

  ITypeLib* raw = nullptr;
  ASSERT_EQ(LoadTypeLibEx(wide, REGKIND_NONE, &raw), S_OK);
  ITypeInfo* info = nullptr;
  const IID iid = {0x6f1c2a3e, 0x58b0, 0x4c1e, {0x9d, 0x61, 0x3f, 0x0b, 0x0a, 0x7f, 0x2c, 0x02}};
  EXPECT_EQ(raw->GetTypeInfoOfGuid(iid, &info), S_OK);
  BSTR name = nullptr;
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
  EXPECT_STREQ(name, L"IProbe");
  SysFreeString(name);
  info->Release();
  raw->Release();
}

TEST(Toolchain, AnsiCodePageIsFixedByTheHarness) {
  const char* expected = getenv("CORVANE_EXPECT_ACP");
  EXPECT_EQ(GetACP(), expected ? static_cast<UINT>(atoi(expected)) : 1252u);
}

}  // namespace
