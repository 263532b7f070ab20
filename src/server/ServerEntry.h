// What the four exports of Corvane.ocx do, apart from the exports themselves so that a test
// program can drive them on its own copy of the units.
#pragma once

#include <windows.h>

namespace corvane {

// The message of every failed registration: the persistent library is the part users most
// often forget to ship beside the module.
constexpr const char kCannotRegisterTypeLibrary[] =
    "Cannot register type library (VuvazeRUridazorar.tlb not found ?)";

HRESULT ServerGetClassObject(REFCLSID clsid, REFIID iid, void** out) noexcept;
HRESULT ServerCanUnloadNow() noexcept;
// The classes, the embedded type library, then VuvazeRUridazorar.tlb from the module's folder.
// Any failure gives SELFREG_E_TYPELIB and the message above in the error record; what was
// written before the failure stays.
HRESULT ServerRegister() noexcept;
// Removes the classes' entries and the embedded library; the persistent library stays.
HRESULT ServerUnregister() noexcept;

}  // namespace corvane
