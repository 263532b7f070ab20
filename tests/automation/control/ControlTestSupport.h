// What the control tests share: COM on the test thread with both type libraries registered,
// controls made through the creation function the class factory uses, members called by name
// through IDispatch as a script engine calls them, and the error record a failure left.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Corvane.h"
#include "framework/com/ComPtr.h"
#include "framework/com/UniqueVariant.h"

namespace corvane::control_test {

class ControlTest : public testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
};

// A new Rendal control, as its class factory makes it.
ComPtr<IDispatch> NewControl();

UniqueVariant Text(const std::wstring& value);
UniqueVariant Long(LONG value);
UniqueVariant Bool(bool value);
UniqueVariant Object(IUnknown* value);

// A member's arguments, in declaration order.
std::vector<UniqueVariant> Args(UniqueVariant a);
std::vector<UniqueVariant> Args(UniqueVariant a, UniqueVariant b);

// Calls member `name` of `object` with `args` (in declaration order) the way VBScript does
// (a read is sent with both the method and the property-read flag).
HRESULT Invoke(IDispatch& object, const wchar_t* name, WORD flags, std::vector<UniqueVariant> args,
               UniqueVariant* result = nullptr);
// Reads property `name` (with `args`); fails the test when the read fails.
UniqueVariant Get(IDispatch& object, const wchar_t* name, std::vector<UniqueVariant> args = {});
HRESULT Put(IDispatch& object, const wchar_t* name, UniqueVariant value);
std::wstring AsText(const UniqueVariant& value);
LONG AsLong(const UniqueVariant& value);
ComPtr<IDispatch> AsObject(const UniqueVariant& value);

// The thread's error record: description and source.
struct ErrorRecord {
  std::wstring description;
  std::wstring source;
};
ErrorRecord TakeErrorRecord();

}  // namespace corvane::control_test
