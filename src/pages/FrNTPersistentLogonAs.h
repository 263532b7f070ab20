// The "LogonAs" page: the account the control connects with, next to the machine selector, so
// new credentials are in place before the control connects to a newly picked machine.
#pragma once

#include <memory>

#include "pages/NTComponentXPropAbstract.h"
#include "pages/PropPageX.h"

namespace corvane::pages {

// {B7CD2C3F-21D1-4144-BA7E-7ACEAB92EC08}
constexpr CLSID kLogonAsPageClsid = {
    0xB7CD2C3F, 0x21D1, 0x4144, {0xBA, 0x7E, 0x7A, 0xCE, 0xAB, 0x92, 0xEC, 0x08}};

class TFrmNTPersistentLogonAs : public TFrNTComponentAbstractProperty {
 public:
  TFrmNTPersistentLogonAs();

  // Both values are written every time, user name first, each as its own property write.
  void WriteValues() override;
  // The stored password is read back in full; only the edit masks it.
  void ReadValues() override;

  forms::TElement& edtUserName() { return Element("edtUserName"); }
  forms::TElement& edtPassword() { return Element("edtPassword"); }
  forms::TElement& Label1() { return Element("Label1"); }
  forms::TElement& Label2() { return Element("Label2"); }
  forms::TElement& Panel1() { return Element("Panel1"); }
  forms::TElement& Memo1() { return Element("Memo1"); }
};

std::unique_ptr<TExtPropertyPage> CreateLogonAsPage();

extern const TPageClass kLogonAsPage;

}  // namespace corvane::pages
