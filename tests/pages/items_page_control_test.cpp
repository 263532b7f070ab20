// The event list page on the real event-log control: the sample network's live logs, and backup
// files written here whose records take their text from a message module of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ControlPageTest.h"
#include "EvtFile.h"
#include "RecordingDispatch.h"
#include "framework/WinHandle.h"
#include "framework/forms/Element.h"
#include "framework/forms/ErrorDisplay.h"
#include "framework/forms/Hints.h"
#include "pages/FrEventLogPropItems.h"
#include "pages/LateBinding.h"
#include "system/RegKey.h"

namespace corvane::pages {
namespace {

using test::TCallLog;
using test::TRecordingDispatch;
using TWriteLog = std::vector<std::string>;

// The records' source; its message file is the test's module, whose one message is "%1".
constexpr char kSource[] = "CvItemsPageSource";
const std::string kSourceKey =
    std::string("SYSTEM\\CurrentControlSet\\Services\\EventLog\\CvItemsPageLog\\") + kSource;
const std::string kLogKey = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\CvItemsPageLog";
constexpr char kLiveFile[] = "live.evt";

std::filesystem::path ScratchFolder() {
  return std::filesystem::path(CORVANE_BINARY_DIR) / "tests" / "pages" /
         ("items-" + std::to_string(GetCurrentProcessId()));
}

// A backup file holding one record per text, oldest first.
std::string WriteLog(const std::string& name, size_t count, const std::u16string& text) {
  const std::filesystem::path path = ScratchFolder() / name;
  evt::TFileStorage storage(path, evt::TFileStorage::TMode::Create);
  evt::TLogFile::Create(storage, 16 * 1024 * 1024, 0);
  const auto log = evt::TLogFile::Open(storage, false);
  evt::Record record;
  record.eventId = 1;
  record.eventType = 4;
  record.sourceName = u"CvItemsPageSource";
  record.computerName = u"CORVWKS";
  record.strings = {text};
  for (size_t i = 0; i < count; ++i) log->Append(record);
  return path.string();
}

void SetValue(const std::string& keyPath, const char* name, const std::string& value) {
  TRegKey key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, key.put(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           DWORD(value.size() + 1)),
            ERROR_SUCCESS);
}

class ItemsPageOnControl : public test::TControlPageTest {
 protected:
  ItemsPageOnControl() : TControlPageTest(CreateEventListPage()) {}

  static void SetUpTestSuite() {
    TControlPageTest::SetUpTestSuite();
    std::filesystem::create_directories(ScratchFolder());
    SetValue(kSourceKey, "EventMessageFile", CORVANE_BINARY_DIR "\\tests\\pages\\itemsmsg.dll");
    // The source's log is a live log of this machine, in a file of the test's.
    SetValue(kLogKey, "File", (ScratchFolder() / kLiveFile).string());
  }
  static void TearDownTestSuite() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kLogKey.c_str());
    std::error_code ignored;
    std::filesystem::remove_all(ScratchFolder(), ignored);
    TControlPageTest::TearDownTestSuite();
  }

  TFrmEventLogPropItems& Form() { return static_cast<TFrmEventLogPropItems&>(object_->Form()); }
  forms::TGrid& Grid() { return Form().drgItems().Grid(); }

  // The control on `machine`, with `source` open or the backup file `backup` open, edited
  // through a recorder.
  void OpenRecorded(const char* machine, const std::string& source, const std::string& backup = "",
                    bool active = true) {
    CreateControl(machine);
    PutStringByName(*control_.get(), L"SourceName", source);
    PutStringByName(*control_.get(), L"BackupFileName", backup);
    if (active) SetActive(true);
    recorder_ = Make<TRecordingDispatch>(*control_.get(), log_);
    ShowPage(recorder_.get());
    frame_.Show();
    *log_ = {};
  }
  void SetActive(bool active) {
    PutBooleanByName(*control_.get(), L"Active", active);
  }
  bool ControlActive() {
    return GetBooleanByName(*control_.get(), L"Active");
  }
  std::string ControlItem(int row) {
    return VariantToString(
        *CallByName(*control_.get(), L"Items", DISPATCH_PROPERTYGET, {IntegerArgument(row)}).get());
  }
  void PickSource(const std::string& source) {
    forms::TElement& selector = Form().cmbSource();
    const std::vector<std::string> items = selector.Items();
    const auto found = std::find(items.begin(), items.end(), source);
    ASSERT_NE(found, items.end()) << source;
    selector.SetItemIndex(int(found - items.begin()));
    SendMessageA(Form().Handle(), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(selector.Handle()));
  }
  // The hint the grid would show now, through the thread's show-hint event.
  bool AskHint(std::string& text, forms::THintInfo& info) {
    bool canShow = true;
    text = Form().drgItems().Design().hint;
    info = {&Form().drgItems(), POINT{}};
    forms::ShowHintHandler()(text, canShow, info);
    return canShow;
  }
  RECT GridClient() {
    RECT client{};
    GetClientRect(Form().drgItems().Handle(), &client);
    return client;
  }

  std::shared_ptr<TCallLog> log_ = std::make_shared<TCallLog>();
  TWriteLog& writes() { return log_->writes; }
  ComPtr<TRecordingDispatch> recorder_;
};

TEST_F(ItemsPageOnControl, InactiveControlAndEmptyLogShowOneEmptyRowAndNoHint) {
  OpenRecorded("", "", WriteLog("empty.evt", 0, u""), false);
  EXPECT_EQ(Grid().RowCount(), 1);
  EXPECT_FALSE(Form().cbxActive().Checked());
  std::string text;
  forms::THintInfo info;
  EXPECT_FALSE(AskHint(text, info));
  EXPECT_FALSE(Form().ShowHint(Form().drgItems()));

  Form().cbxActive().SetChecked(true);
  EXPECT_TRUE(ControlActive());
  EXPECT_EQ(Grid().RowCount(), 1);
  EXPECT_FALSE(AskHint(text, info));
  UpdateWindow(Form().drgItems().Handle());
  EXPECT_EQ(log_->calls["Items"], 0);
}

TEST_F(ItemsPageOnControl, DrawsTheFirstNonEmptyLineAndTheSelectedRowWhiteOnNavy) {
  OpenRecorded("", "", WriteLog("lines.evt", 2, u"\r\n\r\nFirst line shown\r\nsecond line"));
  ASSERT_EQ(ControlItem(0), "\r\n\r\nFirst line shown\r\nsecond line\r\n");
  const HWND grid = Form().drgItems().Handle();
  const RECT cell{0, 0, Grid().ColumnWidth(), Grid().RowHeight()};
  EXPECT_EQ(Grid().ColumnWidth(), GridClient().right);

  // The page's drawing of row 1 and the line alone, drawn as a cell is drawn, must agree.
  const HDC screen = GetDC(grid);
  const auto picture = [&](auto draw) {
    const TMemoryDC dc(CreateCompatibleDC(screen));
    const TGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen, cell.right, cell.bottom));
    const TSelection pictureSelected(dc.get(), bitmap.get());
    const TSelection fontSelected(dc.get(), HFONT(SendMessageA(grid, WM_GETFONT, 0, 0)));
    draw(dc.get());
    std::vector<COLORREF> pixels;
    for (int y = 0; y < cell.bottom; ++y) {
      for (int x = 0; x < cell.right; ++x) pixels.push_back(GetPixel(dc.get(), x, y));
    }
    return pixels;
  };
  const auto drawn = picture([&](HDC dc) { Form().drgItemsDrawCell(1, dc, cell, {}); });
  const auto expected = picture([&](HDC dc) {
    FillRect(dc, &cell, HBRUSH(GetStockObject(WHITE_BRUSH)));
    SetBkColor(dc, RGB(255, 255, 255));
    TextOutA(dc, 1, 1, "First line shown", 16);
  });
  EXPECT_TRUE(drawn == expected);
  const auto selected =
      picture([&](HDC dc) { Form().drgItemsDrawCell(0, dc, cell, {.selected = true}); });
  EXPECT_EQ(selected.front(), RGB(0, 0, 128));
  EXPECT_NE(std::count(selected.begin(), selected.end(), RGB(255, 255, 255)), 0);
  ReleaseDC(grid, screen);
}

TEST_F(ItemsPageOnControl, PickingASourceClosesTheLogAndUnchecksActive) {
  OpenRecorded("\\\\CORVSRV", "Application");
  ASSERT_TRUE(Form().cbxActive().Checked());
  ASSERT_EQ(Grid().RowCount(), 3);
  PickSource("System");
  EXPECT_EQ(writes(), (TWriteLog{"SourceName=System", "SourceName=System", "Active=false",
                                 "SourceName=System", "Active=false"}));
  EXPECT_FALSE(ControlActive());
  EXPECT_FALSE(Form().cbxActive().Checked());
  EXPECT_EQ(Form().cmbSource().Text(), "System");
  EXPECT_EQ(Grid().RowCount(), 1);
}

TEST_F(ItemsPageOnControl, PickingAMachineWhileOpenClosesTheLogFirst) {
  OpenRecorded("\\\\CORVSRV", "Application");
  const std::vector<std::string> machines = Form().cmbMachineName().Items();
  const auto other = std::find(machines.begin(), machines.end(), "\\\\CORVDC");
  ASSERT_NE(other, machines.end());
  PickMachine(int(other - machines.begin()));
  EXPECT_EQ(writes(), (TWriteLog{"SourceName=Application", "Active=false",
                                 "SourceName=Application", "MachineName=\\\\CORVDC"}));
  EXPECT_EQ(MachineName(), "\\\\CORVDC");
  EXPECT_FALSE(ControlActive());
  EXPECT_EQ(Form().cmbMachineName().Text(), "\\\\CORVDC");
}

TEST_F(ItemsPageOnControl, LargeLogOpensWithOneCountAndPaintsOnlyTheVisibleRows) {
  OpenRecorded("", "", WriteLog("large.evt", 100000, u"A record of a large log"), false);
  Form().cbxActive().SetChecked(true);
  UpdateWindow(Form().drgItems().Handle());
  // Each load also counts the server and source lists once; the log itself is counted once.
  EXPECT_EQ(log_->calls["GetServers"], 1);
  EXPECT_EQ(log_->calls["Count"] - log_->calls["GetServers"] - log_->calls["GetEventSources"], 1);
  EXPECT_EQ(Grid().RowCount(), 100000);
  const RECT client = GridClient();
  const int visible = (client.bottom + Grid().RowHeight() - 1) / Grid().RowHeight();
  EXPECT_EQ(log_->calls["Items"], visible);
}

TEST_F(ItemsPageOnControl, HintShowsTheSelectedRecordBelowItsRowUnlessItIsScrolledOut) {
  OpenRecorded("", "", WriteLog("hints.evt", 40, u"Whole text\r\nof the record"));
  EXPECT_EQ(forms::HintHidePause(), 100000u);
  Grid().SetRow(12);
  Grid().SetTopRow(10);
  POINT origin{0, 0};
  ClientToScreen(Form().drgItems().Handle(), &origin);
  std::string text;
  forms::THintInfo info;
  ASSERT_TRUE(AskHint(text, info));
  EXPECT_EQ(text, "Whole text\r\nof the record\r\n");
  EXPECT_EQ(info.position.x, origin.x + 10);
  EXPECT_EQ(info.position.y, origin.y + (12 - 10 + 1) * 18);

  // A second page serves the hints while it lives; when it goes, this one serves them again.
  CreateEventListPage().reset();
  ASSERT_TRUE(AskHint(text, info));

  Grid().SetTopRow(30);  // the row lies above the visible part...
  EXPECT_FALSE(AskHint(text, info));
  EXPECT_FALSE(Form().ShowHint(Form().drgItems()));
  Grid().SetTopRow(0);  // ...and below it
  EXPECT_FALSE(AskHint(text, info));
  Grid().SetRow(0);
  EXPECT_TRUE(Form().ShowHint(Form().drgItems()));
  Form().HideHint();
}

TEST_F(ItemsPageOnControl, ARowThatFailsToDrawShowsItsErrorOnceNotOnEveryRepaint) {
  WriteLog(kLiveFile, 3, u"Live record");
  OpenRecorded("", "CvItemsPageLog");
  ASSERT_EQ(Grid().RowCount(), 3);
  // Emptied behind the page's back: the rows it still shows are gone from the log.
  CallByName(*control_.get(), L"Clear", DISPATCH_METHOD);
  std::vector<std::string> shown;
  const forms::TErrorDisplay previous =
      forms::SetErrorDisplay([&](const std::string& message) { shown.push_back(message); });
  for (int repaint = 0; repaint < 3; ++repaint) {
    InvalidateRect(Form().drgItems().Handle(), nullptr, TRUE);
    UpdateWindow(Form().drgItems().Handle());
  }
  forms::SetErrorDisplay(previous);
  EXPECT_EQ(shown, (std::vector<std::string>{"The event 0 is not available at server any more."}));
  EXPECT_EQ(log_->calls["Items"], 1);
}

TEST_F(ItemsPageOnControl, LaysOutTheDesign) {
  OpenRecorded("\\\\CORVSRV", "Application", "", false);
  TFrmEventLogPropItems& form = Form();
  test::ExpectSoundLayout(form);
  EXPECT_EQ(test::TabStops(form), (std::vector<std::string>{"cmbMachineName", "drgItems", "Panel1",
                                                "cmbSource", "cbxActive"}));
  EXPECT_FALSE(form.Panel1().Enabled());
  // The rows are drawn in the page's font, as its other elements are.
  EXPECT_EQ(SendMessageA(form.drgItems().Handle(), WM_GETFONT, 0, 0),
            SendMessageA(form.cmbSource().Handle(), WM_GETFONT, 0, 0));
  const std::string note = form.Memo1().Text();
  EXPECT_EQ(std::count(note.begin(), note.end(), '\n'), 10);  // eleven lines
  const pageframe::TPageInfo info = frame_.PageInfo();
  EXPECT_EQ(info.title, L"Items");
  EXPECT_EQ(info.helpContext, 6105u);
}

}  // namespace
}  // namespace corvane::pages
