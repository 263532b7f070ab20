#include "server/LibraryStart.h"

#include <mutex>
#include <optional>
#include <string>

#include "Corvane.h"
#include "automation/CreateRendal.h"
#include "automation/LibraryIds.h"
#include "automation/VEVivudAreX.h"
#include "core/SidLookup.h"
#include "core/SidStore.h"
#include "framework/OleSysError.h"
#include "framework/com/TypeInfo.h"
#include "server/ServedPages.h"
#include "server/ServerResources.h"
#include "system/NTCommon.h"
#include "system/SystemTables.h"

namespace corvane {
namespace {

constexpr int kToolboxBitmap = 3;

std::optional<ComServer> server;

void StartServerObject() { server.emplace(ModuleOf(reinterpret_cast<const void*>(&StartLibrary))); }
void FinishServerObject() noexcept {
  server.reset();
  ReleaseCachedTypeInfos();
}

void StartSystemTables() { BindSystemTables(); }
// The bound libraries stay loaded and the tables as they are until the process ends.
void FinishSystemTables() noexcept {}

// The component base lists well-known accounts through the cache, which sits above it.
void StartAccountCache() {
  GlobalSidStore();
  SetAccountLookup(&LookupAccountBySid);
}
void FinishAccountCache() noexcept {
  SetAccountLookup(nullptr);
  GlobalSidStore().Clear();
}

void StartRendalFactory() {
  server->AddFactory(Make<ClassFactory>(RendalRegistration(server->Module()), &CreateRendal));
}
void FinishRendalFactory() noexcept { server->RemoveFactory(__uuidof(Rendal)); }

std::vector<CLSID> pageClasses;

void StartPageFactories() {
  pageClasses.clear();
  std::vector<ServedClass> pages = MakePageFactories();
  for (ServedClass& page : pages) {
    pageClasses.push_back(page.clsid);
    server->AddClass(std::move(page));
  }
}
void FinishPageFactories() noexcept {
  for (const CLSID& clsid : pageClasses) server->RemoveFactory(clsid);
  pageClasses.clear();
}

struct LibraryUnit {
  const char* name;
  void (*start)();
  void (*finish)() noexcept;
};

constexpr LibraryUnit kUnits[] = {
    {"server object", StartServerObject, FinishServerObject},
    {"system tables", StartSystemTables, FinishSystemTables},
    {"account cache", StartAccountCache, FinishAccountCache},
    {"Rendal factory", StartRendalFactory, FinishRendalFactory},
    {"page factories", StartPageFactories, FinishPageFactories},
};

std::mutex unitsMutex;
size_t started = 0;
bool complete = false;
UnitObserver observer;

void FinishStarted() noexcept {
  while (started > 0) {
    const LibraryUnit& unit = kUnits[--started];
    if (observer) observer(unit.name, false);
    unit.finish();
  }
  complete = false;
}

}  // namespace

void StartLibrary() {
  std::lock_guard lock(unitsMutex);
  if (complete) return;
  try {
    for (const LibraryUnit& unit : kUnits) {
      if (observer) observer(unit.name, true);
      unit.start();
      ++started;
    }
  } catch (...) {
    FinishStarted();
    throw;
  }
  complete = true;
}

void FinishLibrary() noexcept {
  std::lock_guard lock(unitsMutex);
  FinishStarted();
}

ComServer& Server() { return *server; }

void ObserveLibraryUnits(UnitObserver unitObserver) {
  std::lock_guard lock(unitsMutex);
  observer = std::move(unitObserver);
}

ClassRegistration RendalRegistration(HMODULE module) {
  wchar_t verb[64] = {};
  if (LoadStringW(module, IDS_PROPERTIES_VERB, verb, 64) == 0) {
    throw EOleSysError("The module holds no name for the Properties verb", E_UNEXPECTED);
  }
  return ClassRegistration{
      __uuidof(Rendal), L"Rendal control for Windows NT", L"Corvane.Rendal", L"Apartment",
      ControlSettings{
          kCorvaneLibid, 1, 0, TVEVivudAreX::kMiscStatus, kToolboxBitmap, {std::wstring(verb) + L",0,2"}}};
}

}  // namespace corvane
