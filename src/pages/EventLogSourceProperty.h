// What the two event-log pages share: the source selector and the "Active" box beside the
// machine selector, and the record count taken when the page last loaded. A new source is never
// opened by itself; the user turns "Active" on again. Never shown by itself.
#pragma once

#include <cstdint>
#include <string>

#include "framework/forms/FormDesign.h"
#include "pages/NTComponentXPropAbstract.h"

namespace corvane::pages {

class TFrEventLogSourceProperty : public TFrNTComponentAbstractProperty {
 public:
  // The machine name layout with the selector narrowed to make room for "Source" and "Active";
  // the source selector takes tab order `sourceTabOrder`, the box the next one.
  static forms::TFormDesign SourceDesign(std::string caption, int helpContext, int sourceTabOrder);

  // The selected source, or the empty name when none is selected.
  void WriteValues() override;

  // The user picked a source: written, and the log left closed.
  void cmbSourceChange();
  // The box changed, by the user or by the page: the control's log opens or closes.
  void cbxActiveClick();

  forms::TElement& lblSource() { return Element("lblSource"); }
  forms::TElement& cmbSource() { return Element("cmbSource"); }
  forms::TElement& cbxActive() { return Element("cbxActive"); }

 protected:
  explicit TFrEventLogSourceProperty(forms::TFormDesign design);

  // FRecordCount from the control: its Count while the log is open, else 0.
  void ReadRecordCount();
  // The selector filled with the control's sources, its source selected, and the box set to
  // its Active state. A changed box counts as a click, which writes and loads the page again.
  void ReadSourceAndActive();

  int32_t FRecordCount = 0;
};

}  // namespace corvane::pages
