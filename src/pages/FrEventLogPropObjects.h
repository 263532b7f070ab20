// The "Objects" page: one record of the edited control's open log, field by field, chosen by its
// 0-based index, with its data bytes as a hex dump and its insertion strings. Each field is read
// from the control's event object when shown; the page keeps no copy of the record.
#pragma once

#include <memory>

#include "automation/PageClassIds.h"
#include "pages/EventLogSourceProperty.h"
#include "pages/PropPageX.h"

namespace corvane::pages {

class TFrmEventLogPropObjects : public TFrEventLogSourceProperty {
 public:
  TFrmEventLogPropObjects();

  // Sources and Active as on the event list page; the index box is editable only while the log
  // is open; then the record at the index is shown.
  void ReadValues() override;
  // Shows the record at the index, or the cleared page when there is none to show. An index
  // past the end is first corrected to the last record (the log may have shrunk since the load).
  void speIndexChange();

  forms::TElement& lblIndex() { return Element("lblIndex"); }
  forms::TElement& speIndex() { return Element("speIndex"); }
  forms::TElement& grbItems() { return Element("grbItems"); }
  forms::TElement& edtTimeGenerated() { return Element("edtTimeGenerated"); }
  forms::TElement& edtTimeWritten() { return Element("edtTimeWritten"); }
  forms::TElement& edtEventID() { return Element("edtEventID"); }
  forms::TElement& edtEventType() { return Element("edtEventType"); }
  forms::TElement& edtUserName() { return Element("edtUserName"); }
  forms::TElement& edtEventCategory() { return Element("edtEventCategory"); }
  forms::TElement& edtSourceName() { return Element("edtSourceName"); }
  forms::TElement& edtComputerName() { return Element("edtComputerName"); }
  forms::TElement& edtDataLength() { return Element("edtDataLength"); }
  forms::TElement& memDataBytes() { return Element("memDataBytes"); }
  forms::TElement& memStrings() { return Element("memStrings"); }

 private:
  void ClearRecord();
  void ShowRecord(IDispatch& event);
};

std::unique_ptr<TExtPropertyPage> CreateEventDetailPage();

extern const TPageClass kEventDetailPage;

}  // namespace corvane::pages
