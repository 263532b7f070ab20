// The lists a control hands to a property browser.
#include <cstring>
#include "framework/control/BrowsingImpl.h"
#include "framework/control/ClassInfoImpl.h"
#include "framework/control/ControlBase.h"

namespace corvane {

void FillPredefinedStrings(const std::vector<TPredefinedString>& strings, CALPOLESTR& texts, CADWORD& cookies) {
  const size_t count = strings.size();
  auto textArray = UniqueTaskMem<LPOLESTR>::Allocate(count);
  auto cookieArray = UniqueTaskMem<DWORD>::Allocate(count);
  std::vector<UniqueTaskMem<wchar_t>> copies;
  copies.reserve(count);
  for (const TPredefinedString& s : strings) {
    auto copy = UniqueTaskMem<wchar_t>::Allocate(s.Text.size() + 1);
    std::memcpy(copy.get(), s.Text.c_str(), (s.Text.size() + 1) * sizeof(wchar_t));
    copies.push_back(std::move(copy));
  }
  for (size_t i = 0; i < count; ++i) {
    textArray.get()[i] = copies[i].release();
    cookieArray.get()[i] = strings[i].Cookie;
  }
  texts.cElems = static_cast<ULONG>(count);
  texts.pElems = textArray.release();
  cookies.cElems = static_cast<ULONG>(count);
  cookies.pElems = cookieArray.release();
}

void FillPageList(const std::vector<CLSID>& pages, CAUUID& out) {
  auto array = UniqueTaskMem<GUID>::Allocate(pages.size());
  std::copy(pages.begin(), pages.end(), array.get());
  out.cElems = static_cast<ULONG>(pages.size());
  out.pElems = array.release();
}

ComPtr<ITypeInfo> RegisteredClassInfo(const GUID& libid, LCID locale, const CLSID& clsid) {
  ComPtr<ITypeLib> library;
  RaiseIfFailed(LoadRegTypeLib(libid, 1, 0, locale, library.put()), "Loading the control's type library");
  ComPtr<ITypeInfo> info;
  RaiseIfFailed(library->GetTypeInfoOfGuid(clsid, info.put()), "Finding the control's class");
  return info;
}

}  // namespace corvane
