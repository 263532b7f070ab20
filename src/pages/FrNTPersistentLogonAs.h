// The "LogonAs" page: the account the control connects with, next to the machine selector, so
// new credentials are in place before the control connects to a newly picked machine.
#pragma once

#include <memory>

#include "automation/PageClassIds.h"
#include "pages/NTComponentXPropAbstract.h"
#include "pages/PropPageX.h"

namespace corvane::pages {

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
