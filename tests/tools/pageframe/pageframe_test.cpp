// The frame plays a host's property frame on a small page of the tests' own (one edit on a
// toolkit form): every step of the cycle, what the page tells the site, and the screenshot.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "PageFrame.h"
#include "framework/forms/Form.h"

namespace corvane::pageframe {
namespace {

LPOLESTR TaskCopy(const wchar_t* text) {
  const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
  auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
  if (copy != nullptr) memcpy(copy, text, bytes);
  return copy;
}

// A page whose edit marks it dirty when the user changes it while active, as pages do.
class TSamplePage final : public IPropertyPage {
 public:
  TSamplePage() {
    forms::TFormDesign design;
    design.caption = "Sample";
    design.width = 420;
    design.height = 257;
    design.elements = {{.kind = forms::TElementKind::Edit, .name = "edtValue",
                        .bounds = {94, 44, 145, 21}, .tabOrder = 0}};
    form_ = std::make_unique<forms::TForm>(std::move(design));
    form_->SetValueChangeHandler([this](forms::TElement&) {
      if (active_ && !loading_) {
        dirty_ = true;
        if (site_) site_->OnStatusChange(PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE);
      }
    });
  }
  forms::TForm& Form() { return *form_; }
  std::string applied;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IPropertyPage) {
      *object = static_cast<IPropertyPage*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }  // lives on the stack

  HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) override {
    site_ = ComPtr<IPropertyPageSite>::Copy(site);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Activate(HWND parent, LPCRECT rect, BOOL) override {
    form_->Attach(parent, *rect);
    loading_ = true;
    form_->Element("edtValue").SetText("loaded");
    loading_ = false;
    active_ = true;
    dirty_ = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Deactivate() override {
    active_ = false;
    form_->Detach();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override {
    info->pszTitle = TaskCopy(L"Sample");
    info->size = SIZE{420, 257};
    info->pszDocString = nullptr;
    info->pszHelpFile = TaskCopy(L"sample.hlp");
    info->dwHelpContext = 7;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetObjects(ULONG, IUnknown**) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Show(UINT command) override {
    form_->Show(command != SW_HIDE);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Move(LPCRECT rect) override {
    form_->SetBounds(*rect);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE IsPageDirty() override { return dirty_ ? S_OK : S_FALSE; }
  HRESULT STDMETHODCALLTYPE Apply() override {
    applied = form_->Element("edtValue").Text();
    dirty_ = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Help(LPCOLESTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* message) override {
    return site_ ? site_->TranslateAccelerator(message) : S_FALSE;
  }

 private:
  ULONG references_ = 1;
  std::unique_ptr<forms::TForm> form_;
  ComPtr<IPropertyPageSite> site_;
  bool active_ = false;
  bool loading_ = false;
  bool dirty_ = false;
};

class PageFrameTest : public ::testing::Test {
 protected:
  TSamplePage page_;
  TPageFrame frame_{&page_};
};

TEST_F(PageFrameTest, PlaysEveryStepOfAHostFrameAndRecordsTheSite) {
  ASSERT_EQ(frame_.SetPageSite(), S_OK);
  ASSERT_EQ(frame_.SetObjects({}), S_OK);
  const TPageInfo info = frame_.PageInfo();
  EXPECT_EQ(info.title, L"Sample");
  EXPECT_EQ(info.size.cx, 420);
  EXPECT_EQ(info.helpFile, L"sample.hlp");
  EXPECT_EQ(info.helpContext, 7u);

  ASSERT_EQ(frame_.Activate(), S_OK);
  ASSERT_EQ(frame_.Show(SW_SHOW), S_OK);
  const HWND form = page_.Form().Handle();
  EXPECT_EQ(GetParent(form), frame_.Window());
  EXPECT_EQ(GetAncestor(form, GA_ROOT), frame_.Window());
  EXPECT_TRUE(IsWindowVisible(form));
  RECT placed{};
  GetWindowRect(form, &placed);
  MapWindowPoints(HWND_DESKTOP, frame_.Window(), reinterpret_cast<POINT*>(&placed), 2);
  const RECT expected = frame_.PageRect();
  EXPECT_TRUE(EqualRect(&placed, &expected));
  EXPECT_EQ(frame_.IsPageDirty(), S_FALSE);  // loading is no change

  const HWND edit = page_.Form().Element("edtValue").Handle();
  SendMessageA(edit, WM_CHAR, '!', 1);
  EXPECT_EQ(frame_.Site().StatusChanges(), std::vector<DWORD>{3});
  const HWND applyButton = FindWindowExA(frame_.Window(), nullptr, "BUTTON", "Apply");
  EXPECT_TRUE(IsWindowEnabled(applyButton));
  EXPECT_EQ(frame_.IsPageDirty(), S_OK);

  // A key the page does not use goes through the page to the site, which leaves it.
  PostMessageA(edit, WM_KEYDOWN, VK_F5, 0);
  frame_.Pump(50);
  EXPECT_EQ(frame_.Site().AcceleratorsOffered(), 1);

  EXPECT_EQ(frame_.Apply(), S_OK);
  EXPECT_EQ(page_.applied, "!loaded");  // typed at the caret, which setting text leaves at 0
  EXPECT_EQ(frame_.IsPageDirty(), S_FALSE);
  EXPECT_FALSE(IsWindowEnabled(applyButton));

  EXPECT_EQ(frame_.Deactivate(), S_OK);
  EXPECT_FALSE(IsWindowVisible(form));
  SendMessageA(edit, WM_CHAR, '?', 1);  // inactive: no news for the site
  EXPECT_EQ(frame_.Site().StatusChanges().size(), 1u);
}

// The pixels of a PNG written with stored deflate blocks, as the frame writes them.
std::vector<uint8_t> StoredPngPixels(const std::vector<uint8_t>& png, uint32_t& width, uint32_t& height) {
  auto be32 = [&](size_t at) {
    return uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 | uint32_t(png[at + 2]) << 8 | png[at + 3];
  };
  width = be32(16);
  height = be32(20);
  std::vector<uint8_t> zlib;
  for (size_t at = 8; at + 8 <= png.size();) {
    const uint32_t length = be32(at);
    if (std::string(png.begin() + at + 4, png.begin() + at + 8) == "IDAT") {
      zlib.insert(zlib.end(), png.begin() + at + 8, png.begin() + at + 8 + length);
    }
    at += 12 + length;
  }
  std::vector<uint8_t> raw;
  for (size_t at = 2; at + 5 <= zlib.size();) {
    const size_t length = zlib[at + 1] | zlib[at + 2] << 8;
    raw.insert(raw.end(), zlib.begin() + at + 5, zlib.begin() + at + 5 + length);
    if (zlib[at] & 1) break;
    at += 5 + length;
  }
  return raw;
}

TEST_F(PageFrameTest, ScreenshotIsAPngOfTheFrameWindowShowingThePage) {
  frame_.SetPageSite();
  frame_.Activate();
  frame_.Show(SW_SHOW);
  char path[MAX_PATH];
  GetTempPathA(MAX_PATH, path);
  const std::string file = std::string(path) + "pageframe_test.png";
  frame_.SaveScreenshot(file);

  std::ifstream in(file, std::ios::binary);
  const std::vector<uint8_t> png{std::istreambuf_iterator<char>(in), {}};
  in.close();
  std::remove(file.c_str());
  ASSERT_GT(png.size(), 33u);
  EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
  uint32_t width = 0, height = 0;
  const std::vector<uint8_t> raw = StoredPngPixels(png, width, height);
  RECT box{};
  GetWindowRect(frame_.Window(), &box);
  EXPECT_EQ(width, uint32_t(box.right - box.left));
  EXPECT_EQ(height, uint32_t(box.bottom - box.top));
  ASSERT_EQ(raw.size(), size_t(height) * (width * 3 + 1));

  // The edit's white inside the page's button face: the picture shows the page itself.
  RECT edit{};
  GetWindowRect(page_.Form().Element("edtValue").Handle(), &edit);
  auto pixel = [&](LONG screenX, LONG screenY) {
    const size_t at = size_t(screenY - box.top) * (width * 3 + 1) + 1 + size_t(screenX - box.left) * 3;
    return RGB(raw[at], raw[at + 1], raw[at + 2]);
  };
  EXPECT_EQ(pixel(edit.right - 6, (edit.top + edit.bottom) / 2), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(pixel(edit.left - 10, edit.top), GetSysColor(COLOR_BTNFACE));
}

}  // namespace
}  // namespace corvane::pageframe
