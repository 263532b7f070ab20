// pageshots FOLDER
// Pictures of the property pages over a real control: each page in our frame, then in the
// system's property frame, saved as FOLDER\<page>-frame.png and FOLDER\<page>-system.png. The
// control must see the bundled service (CORVANE_SYSTEM_LIBRARY) and may see a network
// (CORVANE_NETWORK); the type libraries are registered from CORVANE_TYPELIB_DIR.
#include <windows.h>
#include <objbase.h>
#include <olectl.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "PageFrame.h"
#include "automation/CreateRendal.h"
#include "framework/com/ComPtr.h"
#include "pages/FrEventLogPropItems.h"
#include "pages/FrEventLogPropObjects.h"
#include "pages/FrNTPersistentLogonAs.h"
#include "pages/LateBinding.h"
#include "pages/NTComponentXPropAbstract.h"
#include "pages/PageFactory.h"
#include "system/SystemTables.h"

namespace {

using namespace corvane;

struct TOleSession {
  TOleSession() {
    if (FAILED(OleInitialize(nullptr))) throw std::runtime_error("OLE cannot start");
  }
  ~TOleSession() { OleUninitialize(); }
};

void Check(HRESULT result, const char* what) {
  if (FAILED(result)) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(result));
    throw std::runtime_error(std::string(what) + " failed: " + text);
  }
}

void RegisterLibrary(const std::string& folder, const char* file) {
  const std::string path = folder + "\\" + file;
  const std::wstring wide(path.begin(), path.end());
  ComPtr<ITypeLib> library;
  Check(LoadTypeLibEx(wide.c_str(), REGKIND_REGISTER, library.put()), path.c_str());
}

// The shown top-level dialog of this process (the system's frame is the only one).
HWND FindFrame() {
  struct TSearch {
    HWND found = nullptr;
  } search;
  EnumWindows(
      [](HWND window, LPARAM data) WINAPI -> BOOL {
        auto* search = reinterpret_cast<TSearch*>(data);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        char windowClass[64] = "";
        GetClassNameA(window, windowClass, sizeof(windowClass));
        if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
            std::string(windowClass) == "#32770") {
          search->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void ShootOurFrame(IUnknown* control, const pages::TPageClass& page, const std::string& path) {
  auto object = Make<pages::TExtActiveXPropertyPage>(page.createForm());
  auto propertyPage = object.query<IPropertyPage>();
  pageframe::TPageFrame frame(propertyPage.get());
  Check(frame.SetPageSite(), "SetPageSite");
  Check(frame.SetObjects({control}), "SetObjects");
  Check(frame.Activate(), "Activate");
  Check(frame.Show(SW_SHOW), "Show");
  frame.Pump(300);
  frame.SaveScreenshot(path);
  Check(frame.Deactivate(), "Deactivate");
}

// The system's frame is modal: a second thread waits for it, takes its picture and cancels it.
// `show` opens the frame; the page classes it names are served from this process meanwhile.
void ShootSystemFrame(const std::vector<pages::TPageClass>& served,
                      const std::function<HRESULT()>& show, const std::string& path) {
  std::vector<DWORD> cookies;
  struct TRevoke {
    std::vector<DWORD>& cookies;
    ~TRevoke() {
      for (DWORD cookie : cookies) CoRevokeClassObject(cookie);
    }
  } revoke{cookies};
  for (const pages::TPageClass& page : served) {
    auto factory = Make<pages::TExtActiveXPropertyPageFactory>(page);
    DWORD cookie = 0;
    Check(CoRegisterClassObject(page.clsid, factory->Identity(), CLSCTX_INPROC_SERVER,
                                REGCLS_MULTIPLEUSE, &cookie),
          "CoRegisterClassObject");
    cookies.push_back(cookie);
  }
  auto shot = std::async(std::launch::async, [&]() -> std::string {
    for (int attempt = 0; attempt < 500; ++attempt) {
      if (HWND frame = FindFrame()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        std::string error;
        try {
          pageframe::SaveWindowPicture(frame, path);
        } catch (const std::exception& failure) {
          error = failure.what();
        }
        PostMessageA(frame, WM_COMMAND, IDCANCEL, 0);
        return error;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return "the system's frame never showed";
  });
  const HRESULT shown = show();
  const std::string error = shot.get();
  Check(shown, "showing the system's frame");
  if (!error.empty()) throw std::runtime_error(error);
}

int Run(const std::string& folder) {
  char libraries[MAX_PATH] = "";
  if (GetEnvironmentVariableA("CORVANE_TYPELIB_DIR", libraries, MAX_PATH) == 0)
    throw std::runtime_error("CORVANE_TYPELIB_DIR names no folder");
  TOleSession ole;
  RegisterLibrary(libraries, "VuvazeRUridazorar.tlb");
  RegisterLibrary(libraries, "Corvane.tlb");
  BindSystemTables();

  ComPtr<IUnknown> control;
  Check(CreateRendal(nullptr, IID_IUnknown, control.put_void()), "CreateRendal");
  // A machine of the sample network, so the selector shows a choice.
  pages::PutStringByName(*control.query<IDispatch>().get(), L"MachineName", "\\\\CORVSRV");
  // Its Application log open, so the event pages show real records.
  pages::PutStringByName(*control.query<IDispatch>().get(), L"SourceName", "Application");
  pages::PutBooleanByName(*control.query<IDispatch>().get(), L"Active", true);
  // The pages that exist; each adds its line as it lands.
  const pages::TPageClass shown[] = {
      {pages::kMachineNamePageClsid, "TFrNTComponentAbstractProperty",
       &pages::CreateMachineNamePage},
      pages::kLogonAsPage,
      pages::kEventListPage,
      pages::kEventDetailPage,
  };
  const char* names[] = {"machine-name", "logon-as", "event-list", "event-detail"};
  for (size_t i = 0; i < std::size(shown); ++i) {
    const std::string stem = folder + "\\" + names[i];
    ShootOurFrame(control.get(), shown[i], stem + "-frame.png");
    std::printf("%s-frame.png\n", stem.c_str());
    IUnknown* objects[] = {control.get()};
    CLSID page = shown[i].clsid;
    ShootSystemFrame(
        {shown[i]},
        [&] {
          return OleCreatePropertyFrame(nullptr, 40, 40, L"Rendal", 1, objects, 1, &page, 0, 0,
                                        nullptr);
        },
        stem + "-system.png");
    std::printf("%s-system.png\n", stem.c_str());
  }
  // The control's own "Properties" verb: every page it announces, in its order, in one frame.
  const std::string all = folder + "\\control-pages-system.png";
  ShootSystemFrame(
      {pages::kLogonAsPage, pages::kEventListPage, pages::kEventDetailPage},
      [&] {
        return control.query<IOleObject>()->DoVerb(OLEIVERB_PROPERTIES, nullptr, nullptr, 0,
                                                   nullptr, nullptr);
      },
      all);
  std::printf("%s\n", all.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: pageshots FOLDER\n");
    return 2;
  }
  try {
    return Run(argv[1]);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "pageshots: %s\n", failure.what());
    return 1;
  }
}
