// The "Items" page: the event source of the control, its "Active" box, and the open log as a
// one-column grid with the first line of each record's text; the grid's hint shows the whole
// text of the selected record. Rows are drawn from the control's Items as they come into view,
// so a large log costs one Count when it opens.
#pragma once

#include <memory>
#include <string>

#include "automation/PageClassIds.h"
#include "framework/forms/Hints.h"
#include "pages/EventLogSourceProperty.h"
#include "pages/PropPageX.h"

namespace corvane::pages {

class TFrmEventLogPropItems : public TFrEventLogSourceProperty {
 public:
  TFrmEventLogPropItems();
  ~TFrmEventLogPropItems() override;

  void ReadValues() override;

  // The log is closed (the box unchecked) before the machine changes under it.
  void cmbMachineNameChange();
  void drgItemsDrawCell(int row, HDC dc, const RECT& cell, forms::TCellState state);
  // The thread's show-hint event while this page is the newest event list page: the whole text
  // of the selected row, just below that row; refused when the row is out of sight.
  void ShowItemHint(std::string& text, bool& canShow, forms::THintInfo& info);

  forms::TElement& drgItems() { return Element("drgItems"); }
  forms::TElement& Panel1() { return Element("Panel1"); }
  forms::TElement& Memo1() { return Element("Memo1"); }
  forms::TElement& lblItems() { return Element("lblItems"); }

 private:
  void FormCreate();
  std::string ItemText(int row);

  // A row that failed to draw has shown its error once; the rows stay blank until the next
  // load instead of raising a message box on every repaint.
  bool FDrawFailed = false;
};

std::unique_ptr<TExtPropertyPage> CreateEventListPage();

extern const TPageClass kEventListPage;

}  // namespace corvane::pages
