// The class factory of one property page, which also carries the page's registration. The server
// creates one per page at start, in the order it announces them, and serves and registers them
// with its other classes.
#pragma once

#include <string>
#include <vector>

#include "framework/com/ClassRegistration.h"
#include "framework/com/ComObject.h"
#include "framework/com/ComServer.h"
#include "pages/PropPageX.h"

namespace corvane::pages {

class TExtActiveXPropertyPageFactory final
    : public ComObject<TExtActiveXPropertyPageFactory, IClassFactory> {
 public:
  explicit TExtActiveXPropertyPageFactory(const TPageClass& page) : page_(page) {}

  const CLSID& ClassId() const { return page_.clsid; }
  // "<form class> property page".
  std::string Description() const;
  // The page's keys, parents first (remove them in reverse): the class key with the description
  // and its InprocServer32 with the server's path. Pages are single-threaded and have no
  // program identifier, so neither a ThreadingModel value nor a ProgID key is written.
  std::vector<RegistryEntry> RegistryEntries(const std::wstring& serverPath) const;

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid,
                                           void** object) noexcept override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) noexcept override;

 private:
  TPageClass page_;
};

// The server's view of a page class: a new factory, with its entries in the server's form.
ServedClass ServePage(const TPageClass& page);

}  // namespace corvane::pages
