// The four exports of Corvane.ocx, under names of their own here and the system's names in
// Corvane.def, and its DllMain, which only finishes the units when the module is freed: start
// waits for the first call in, outside the loader lock. Each export forwards to a noexcept
// function, so nothing escapes.
#include <windows.h>
#include <objbase.h>
#include <olectl.h>

#include <type_traits>

#include "server/LibraryStart.h"
#include "server/ServerEntry.h"

extern "C" {

HRESULT STDAPICALLTYPE Corvane_DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
  return corvane::ServerGetClassObject(clsid, iid, out);
}

HRESULT STDAPICALLTYPE Corvane_DllCanUnloadNow() { return corvane::ServerCanUnloadNow(); }

HRESULT STDAPICALLTYPE Corvane_DllRegisterServer() { return corvane::ServerRegister(); }

HRESULT STDAPICALLTYPE Corvane_DllUnregisterServer() { return corvane::ServerUnregister(); }

// At process exit (reserved not null) the libraries the units would call into may already be
// gone, and the memory goes with the process: only a FreeLibrary finishes the units.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void* reserved) {
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) corvane::FinishLibrary();
  return TRUE;
}

}  // extern "C"

#define CORVANE_SYSTEM_SIGNATURE(name)                                        \
  static_assert(std::is_same_v<decltype(&Corvane_##name), decltype(&::name)>, \
                #name " must keep the system's signature")
CORVANE_SYSTEM_SIGNATURE(DllGetClassObject);
CORVANE_SYSTEM_SIGNATURE(DllCanUnloadNow);
CORVANE_SYSTEM_SIGNATURE(DllRegisterServer);
CORVANE_SYSTEM_SIGNATURE(DllUnregisterServer);
