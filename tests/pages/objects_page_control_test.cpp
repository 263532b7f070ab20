// The event detail page on the real event-log control.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ObjectsPageTest.h"
#include "framework/com/AnsiConversion.h"
#include "framework/com/UniqueBstr.h"
#include "framework/forms/Element.h"
#include "pages/LateBinding.h"

namespace corvane::pages {
namespace {

using forms::TColour;

class ObjectsPageOnControl : public test::TObjectsPageTest {
 protected:
  std::vector<std::string> Fields() {
    std::vector<std::string> texts;
    for (const char* name :
         {"edtTimeGenerated", "edtTimeWritten", "edtEventID", "edtEventType", "edtUserName",
          "edtEventCategory", "edtSourceName", "edtComputerName", "edtDataLength",
          "memDataBytes", "memStrings"}) {
      texts.push_back(Form().Element(name).Text());
    }
    return texts;
  }
  void ExpectCleared() {
    EXPECT_EQ(Form().grbItems().Text(), "Objects");
    EXPECT_EQ(Fields(), std::vector<std::string>(11));
  }
};

TEST_F(ObjectsPageOnControl, AnInactiveControlLeavesTheIndexGreyAndReadOnlyAndThePageCleared) {
  CreateOnLog();
  WriteRecord(1, 4, 0, {}, {L"x"});
  SetActive(false);
  ShowPage(control_.get());
  EXPECT_FALSE(Form().cbxActive().Checked());
  forms::TElement& index = Form().speIndex();
  EXPECT_TRUE(GetWindowLongA(index.Handle(), GWL_STYLE) & ES_READONLY);
  EXPECT_EQ(index.Colour(), TColour::System(COLOR_BTNFACE));
  EXPECT_TRUE(index.StepSpin(1));  // the arrows only beep
  EXPECT_EQ(index.Text(), "0");
  ExpectCleared();
}

TEST_F(ObjectsPageOnControl, AnIndexPastTheEndShowsTheLastRecordAndDeletingItClearsThePage) {
  CreateOnLog();
  for (int i = 0; i < 10; ++i) WriteRecord(100 + i, 4, 0, {}, {L"record " + std::to_wstring(i)});
  ShowPage(control_.get());
  forms::TElement& index = Form().speIndex();
  EXPECT_FALSE(GetWindowLongA(index.Handle(), GWL_STYLE) & ES_READONLY);
  EXPECT_EQ(index.Colour(), TColour::Rgb(255, 255, 255));
  EXPECT_EQ(Form().grbItems().Text(), "Objects(0)");
  EXPECT_EQ(Form().edtEventID().Text(), "100");

  TypeIndex("999");
  EXPECT_EQ(index.Text(), "9");
  EXPECT_EQ(Form().grbItems().Text(), "Objects(9)");
  EXPECT_EQ(Form().edtEventID().Text(), "109");
  EXPECT_EQ(Form().memStrings().Text(), "record 9");
  EXPECT_EQ(frame_.IsPageDirty(), S_OK);

  TypeIndex("");
  ExpectCleared();
  EXPECT_TRUE(errors_.empty());
}

TEST_F(ObjectsPageOnControl, ShowsEveryFieldInItsFormat) {
  CreateOnLog();
  // The upper 16 bits of the identifier are not part of what the page shows.
  WriteRecord(int32_t(0xABCD0005), 2, 7, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {L"alpha", L"beta"});
  ShowPage(control_.get());
  TFrmEventLogPropObjects& form = Form();
  EXPECT_EQ(form.edtEventID().Text(), "5");
  EXPECT_EQ(form.edtEventType().Text(), "EVT_WARNING");
  EXPECT_EQ(form.edtEventCategory().Text(), "7");
  EXPECT_EQ(form.edtSourceName().Text(), log_.Name());
  EXPECT_EQ(form.edtDataLength().Text(), "10");
  EXPECT_EQ(form.memDataBytes().Text(), "01 02 03 04 05 06 07 08 \r\n09 0A \r\n");
  EXPECT_EQ(form.memStrings().Text(), "alpha\r\nbeta");

  // The system's own date text: short date, then the long time unless it is midnight.
  const ComPtr<IDispatch> record = VariantToDispatch(
      *CallByName(*control_.get(), L"Objects", DISPATCH_PROPERTYGET, {IntegerArgument(0)}).get());
  UniqueBstr expected;
  ASSERT_EQ(VarBstrFromDate(VariantToDate(*CallByName(*record.get(), L"TimeWritten",
                                                      DISPATCH_PROPERTYGET).get()),
                            LOCALE_USER_DEFAULT, 0, expected.put()),
            S_OK);
  EXPECT_EQ(form.edtTimeWritten().Text(), BstrToAnsiLossy(expected.get()));
}

TEST_F(ObjectsPageOnControl, ANegativeIndexReachesTheControlWhoseErrorIsShown) {
  CreateOnLog();
  WriteRecord(1, 4, 0, {}, {L"x"});
  ShowPage(control_.get());
  TypeIndex("-1");
  EXPECT_EQ(Form().grbItems().Text(), "Objects(-1)");
  EXPECT_EQ(errors_, std::vector<std::string>{"The event -1 is not available at server any more."});
}

TEST_F(ObjectsPageOnControl, LaysOutTheDesign) {
  CreateOnLog();
  SetActive(false);
  ShowPage(control_.get());
  TFrmEventLogPropObjects& form = Form();
  test::ExpectSoundLayout(form);
  // The keyboard's order is the order of each parent's windows.
  EXPECT_EQ(test::TabStops(form), (std::vector<std::string>{"cmbMachineName", "cmbSource",
                                                               "cbxActive", "speIndex",
                                                               "grbItems"}));
  EXPECT_EQ(test::TabStops(form, form.grbItems().ContainerWindow()),
            (std::vector<std::string>{"edtTimeGenerated", "edtTimeWritten", "edtEventID",
                                      "edtEventType", "edtUserName", "edtEventCategory",
                                      "edtSourceName", "edtComputerName", "edtDataLength",
                                      "memDataBytes", "memStrings"}));
  for (const auto& element : form.Elements()) {
    if (element->Design().parent == "grbItems" && element->Kind() != forms::TElementKind::Label) {
      EXPECT_TRUE(GetWindowLongA(element->Handle(), GWL_STYLE) & ES_READONLY) << element->Name();
      EXPECT_EQ(element->Colour(), TColour::System(COLOR_BTNFACE)) << element->Name();
    }
  }
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(form.memDataBytes().Handle(), WM_GETFONT, 0, 0)),
             sizeof(font), &font);
  EXPECT_STREQ(font.lfFaceName, "Arial");
  EXPECT_EQ(font.lfHeight, -11);
  EXPECT_EQ(font.lfPitchAndFamily & 3, FIXED_PITCH);
  EXPECT_EQ(font.lfCharSet, ANSI_CHARSET);
  const pageframe::TPageInfo info = frame_.PageInfo();
  EXPECT_EQ(info.title, L"Objects");
  EXPECT_EQ(info.helpContext, 6107u);
}

}  // namespace
}  // namespace corvane::pages
