// The event detail page under code page 936: insertion strings in Chinese reach the user as
// written, through the control's ANSI conversions and the page's own.
#include <gtest/gtest.h>

#include <string>

#include "ObjectsPageTest.h"
#include "framework/forms/Element.h"

namespace corvane::pages {
namespace {

class ObjectsPageUnder936 : public test::TObjectsPageTest {};

TEST_F(ObjectsPageUnder936, ShowsChineseInsertionStrings) {
  ASSERT_EQ(GetACP(), 936u);
  CreateOnLog();
  WriteRecord(1, 4, 0, {}, {L"\x4E2D\x6587", L"\x4E8B\x4EF6\x65E5\x5FD7"});
  ShowPage(control_.get());
  const HWND strings = Form().memStrings().Handle();
  std::wstring text(size_t(GetWindowTextLengthW(strings)) + 1, L'\0');
  text.resize(size_t(GetWindowTextW(strings, text.data(), int(text.size()))));
  EXPECT_EQ(text, L"\x4E2D\x6587\r\n\x4E8B\x4EF6\x65E5\x5FD7");
}

}  // namespace
}  // namespace corvane::pages
