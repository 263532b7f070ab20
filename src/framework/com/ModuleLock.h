// What keeps the library loaded: the live objects of the classes that count (controls and
// pages; class factories do not, or the module could never unload) and the LockServer calls
// of the factories. DllCanUnloadNow answers from CanUnload().
#pragma once

namespace corvane {

class ModuleLock {
 public:
  static void AddObject() noexcept;
  static void RemoveObject() noexcept;
  // IClassFactory::LockServer(TRUE / FALSE).
  static void Lock() noexcept;
  static void Unlock() noexcept;

  static long Objects() noexcept;
  static long Locks() noexcept;
  static bool CanUnload() noexcept { return Objects() == 0 && Locks() == 0; }
};

}  // namespace corvane
