// pageframe PAGE [--object PROGID|CLSID] [--screenshot FILE.png] [--apply]
// Shows the property page of class PAGE (a CLSID in braces) in our frame, editing a new object of
// the given class, and prints each step's result and the page's status changes. With
// --screenshot it saves a picture of the frame and exits; otherwise it runs until closed.
#include <cstdio>
#include <string>
#include <vector>

#include "PageFrame.h"

namespace {

using corvane::ComPtr;

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out.push_back(c < 0x80 ? char(c) : '?');
  return out;
}

CLSID ClassOf(const std::string& name) {
  CLSID id{};
  const std::wstring wide = Widen(name);
  const HRESULT result = name.starts_with("{") ? CLSIDFromString(wide.c_str(), &id)
                                                : CLSIDFromProgID(wide.c_str(), &id);
  if (FAILED(result)) throw std::runtime_error("unknown class " + name);
  return id;
}

void Step(const char* what, HRESULT result) {
  std::printf("%-12s 0x%08lX\n", what, static_cast<unsigned long>(result));
}

struct TOleSession {
  TOleSession() {
    if (FAILED(OleInitialize(nullptr))) throw std::runtime_error("OLE cannot start");
  }
  ~TOleSession() { OleUninitialize(); }
};

int Run(int argc, char** argv) {
  std::string pageClass, objectClass, screenshot;
  bool apply = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--object" && i + 1 < argc) {
      objectClass = argv[++i];
    } else if (arg == "--screenshot" && i + 1 < argc) {
      screenshot = argv[++i];
    } else if (arg == "--apply") {
      apply = true;
    } else if (pageClass.empty() && !arg.starts_with("--")) {
      pageClass = arg;
    } else {
      std::fprintf(stderr, "usage: pageframe PAGE [--object CLASS] [--screenshot FILE.png] [--apply]\n");
      return 2;
    }
  }
  if (pageClass.empty()) {
    std::fprintf(stderr, "usage: pageframe PAGE [--object CLASS] [--screenshot FILE.png] [--apply]\n");
    return 2;
  }

  TOleSession ole;
  ComPtr<IPropertyPage> page;
  HRESULT result = CoCreateInstance(ClassOf(pageClass), nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IPropertyPage, reinterpret_cast<void**>(page.put()));
  if (FAILED(result)) throw std::runtime_error("the page cannot be created: " + std::to_string(result));
  ComPtr<IUnknown> object;
  if (!objectClass.empty()) {
    result = CoCreateInstance(ClassOf(objectClass), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                              reinterpret_cast<void**>(object.put()));
    if (FAILED(result)) throw std::runtime_error("the object cannot be created: " + std::to_string(result));
  }

  corvane::pageframe::TPageFrame frame(page.get());
  Step("SetPageSite", frame.SetPageSite());
  std::vector<IUnknown*> objects;
  if (object) objects.push_back(object.get());
  Step("SetObjects", frame.SetObjects(objects));
  const auto info = frame.PageInfo();
  Step("GetPageInfo", info.result);
  std::printf("title \"%s\" size %ldx%ld help \"%s\" context %lu\n", Narrow(info.title).c_str(),
              info.size.cx, info.size.cy, Narrow(info.helpFile).c_str(), info.helpContext);
  Step("Activate", frame.Activate());
  Step("Show", frame.Show(SW_SHOW));
  if (!screenshot.empty()) {
    frame.Pump(300);
    frame.SaveScreenshot(screenshot);
    std::printf("screenshot %s\n", screenshot.c_str());
  } else {
    frame.RunUntilClosed();
  }
  Step("IsPageDirty", frame.IsPageDirty());
  if (apply) Step("Apply", frame.Apply());
  if (frame.Active()) Step("Deactivate", frame.Deactivate());  // closing the window did it
  for (DWORD flags : frame.Site().StatusChanges()) std::printf("OnStatusChange %lu\n", flags);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "pageframe: %s\n", error.what());
    return 1;
  }
}
