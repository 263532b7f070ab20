#include "pages/FrEventLogPropItems.h"

#include <algorithm>
#include <vector>

#include "framework/Tokens.h"
#include "framework/forms/Element.h"
#include "pages/LateBinding.h"

namespace corvane::pages {

namespace {

constexpr UINT kItemHintHidePause = 100000;
constexpr int kHintOffset = 10;

TFrmEventLogPropItems& PageOf(forms::TForm& form) {
  return static_cast<TFrmEventLogPropItems&>(form);
}

forms::TFormDesign ItemsDesign() {
  using forms::TElementKind;
  forms::TFormDesign design = TFrEventLogSourceProperty::SourceDesign("Items", 6105, 3);
  for (forms::TElementDesign& element : design.elements) {
    if (element.name == "cmbMachineName") {
      element.onChange = [](forms::TElement& sender) {
        PageOf(sender.Form()).cmbMachineNameChange();
      };
    }
  }
  const char* note =
      "The Items property returns \r\n"
      "formatted strings containing the \r\n"
      "text of the event log record. Before \r\n"
      "applying this property make sure \r\n"
      "that Active property is set to true. \r\n"
      "If you read the whole event log, it \r\n"
      "may take considarable time. The \r\n"
      "component is able to read data by \r\n"
      "portions and cache it. This is \r\n"
      "considered to be the better way \r\n"
      "from the perfomnce's point of view.";
  design.elements.insert(
      design.elements.end(),
      {
          {.kind = TElementKind::Label, .name = "lblItems", .caption = "Items",
           .bounds = {4, 39, 25, 13}},
          // The hint text is replaced by the selected record's text before it shows; it only has
          // to be non-empty for the grid to ask for a hint at all.
          {.kind = TElementKind::Grid, .name = "drgItems", .bounds = {4, 56, 233, 169},
           .tabOrder = 1, .rowHeight = 18, .gridLines = false, .hint = "Record", .showHint = true,
           .onDrawCell = [](forms::TElement& sender, int, int row, HDC dc, const RECT& cell,
                            forms::TCellState state) {
             PageOf(sender.Form()).drgItemsDrawCell(row, dc, cell, state);
           }},
          {.kind = TElementKind::Panel, .name = "Panel1", .bounds = {244, 56, 165, 169},
           .tabOrder = 2, .enabled = false},
          {.kind = TElementKind::Memo, .name = "Memo1", .caption = note, .bounds = {0, 0, 165, 165},
           .parent = "Panel1", .readOnly = true, .border = false, .scrollBar = false,
           .colour = design.colour},
      });
  return design;
}

// One show-hint event serves every form of the thread. The newest event list page answers it;
// the handler found before the first page is put back when the last one goes, so no handler
// outlives the page it calls.
struct THintServers {
  std::vector<TFrmEventLogPropItems*> pages;
  forms::TShowHintEvent previous;
};
thread_local THintServers tHintServers;

void ServeHints(std::string& text, bool& canShow, forms::THintInfo& info) {
  tHintServers.pages.back()->ShowItemHint(text, canShow, info);
}

}  // namespace

TFrmEventLogPropItems::TFrmEventLogPropItems() : TFrEventLogSourceProperty(ItemsDesign()) {
  FormCreate();
}

TFrmEventLogPropItems::~TFrmEventLogPropItems() {
  std::vector<TFrmEventLogPropItems*>& pages = tHintServers.pages;
  pages.erase(std::remove(pages.begin(), pages.end(), this), pages.end());
  if (pages.empty()) forms::SetShowHintHandler(std::move(tHintServers.previous));
}

void TFrmEventLogPropItems::FormCreate() {
  if (tHintServers.pages.empty()) tHintServers.previous = forms::SetShowHintHandler(&ServeHints);
  tHintServers.pages.push_back(this);
  // Long texts take a while to read.
  forms::SetHintHidePause(kItemHintHidePause);
}

void TFrmEventLogPropItems::ReadValues() {
  TFrEventLogSourceProperty::ReadValues();
  FDrawFailed = false;
  ReadRecordCount();
  forms::TGrid& grid = drgItems().Grid();
  grid.SetRowCount(FRecordCount);
  grid.SetColumnWidth(grid.ClientWidth());
  ReadSourceAndActive();
}

void TFrmEventLogPropItems::cmbMachineNameChange() {
  // Closing the log reloads the page, which puts the control's machine back in the selector:
  // the user's pick is kept aside and selected again before it is written.
  forms::TElement& selector = cmbMachineName();
  const std::string picked = selector.Text();
  cbxActive().SetChecked(false);
  const std::vector<std::string> machines = selector.Items();
  const auto found = std::find(machines.begin(), machines.end(), picked);
  selector.SetItemIndex(found == machines.end() ? -1 : int(found - machines.begin()));
  TFrEventLogSourceProperty::cmbMachineNameChange();
}

std::string TFrmEventLogPropItems::ItemText(int row) {
  return VariantToString(
      *CallByName(*EditedObject(), L"Items", DISPATCH_PROPERTYGET, {IntegerArgument(row)}).get());
}

void TFrmEventLogPropItems::drgItemsDrawCell(int row, HDC dc, const RECT& cell,
                                            forms::TCellState state) {
  IDispatch* edited = EditedObject();
  if (FDrawFailed || edited == nullptr || FRecordCount == 0) return;
  std::string line;
  try {
    if (!GetBooleanByName(*edited, L"Active")) return;
    line = TokenAt(1, ItemText(row), "\r\n");
  } catch (...) {
    FDrawFailed = true;
    throw;
  }
  const bool highlighted = state.selected;
  SetTextColor(dc, highlighted ? RGB(255, 255, 255) : RGB(0, 0, 0));
  SetBkColor(dc, highlighted ? RGB(0, 0, 128) : RGB(255, 255, 255));
  SetBkMode(dc, OPAQUE);
  ExtTextOutA(dc, cell.left + 1, cell.top + 1, ETO_OPAQUE | ETO_CLIPPED, &cell, line.data(),
              UINT(line.size()), nullptr);
}

void TFrmEventLogPropItems::ShowItemHint(std::string& text, bool& canShow,
                                         forms::THintInfo& info) {
  if (FRecordCount <= 0 || EditedObject() == nullptr) {
    canShow = false;
    return;
  }
  const forms::TGrid& grid = drgItems().Grid();
  const int row = grid.Row();
  POINT origin{0, 0};
  ClientToScreen(drgItems().Handle(), &origin);
  RECT client{};
  GetClientRect(drgItems().Handle(), &client);
  const POINT position{origin.x + kHintOffset,
                       origin.y + (row - grid.TopRow() + 1) * grid.RowHeight()};
  if (position.y > origin.y + client.bottom + kHintOffset || position.y < origin.y + kHintOffset) {
    canShow = false;
    return;
  }
  text = ItemText(row);
  info.position = position;
}

std::unique_ptr<TExtPropertyPage> CreateEventListPage() {
  return std::make_unique<TFrmEventLogPropItems>();
}

const TPageClass kEventListPage = {kEventListPageClsid, "TFrmEventLogPropItems",
                                   &CreateEventListPage};

}  // namespace corvane::pages
