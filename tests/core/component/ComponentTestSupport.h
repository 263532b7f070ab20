// What the component tests share: the system tables bound to the bundled event-log service,
// logs of the test's own (a registry key whose "File" lies in a scratch folder of the build
// tree), a message pump for the thread that owns the components, a second process that writes
// events, and counting stand-ins at the table boundary.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "common/MessagePump.h"

namespace corvane::component_test {

// Owner of a registry key opened straight through the system (not through our tables).
struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

// The service DLL's Windows path.
std::string ServiceLibraryPath();

// Binds the tables to the service once per process (gtest environment).
void BindToService();

// A log of the test's own with the given sources; its registry key and file go away with it.
class TestLog {
 public:
  explicit TestLog(const std::string& stem, const std::vector<std::string>& sources = {});
  ~TestLog();
  TestLog(const TestLog&) = delete;
  TestLog& operator=(const TestLog&) = delete;

  const std::string& Name() const { return name_; }
  const std::string& File() const { return file_; }
  // A path in the same scratch folder, for backups.
  std::string Scratch(const std::string& fileName) const;
  // The registered maximum size of the log's file (4 MiB unless set).
  void SetMaxSize(DWORD bytes) const;

 private:
  std::string name_;
  std::string folder_;
  std::string file_;
};

// Sets the "EventMessageFile" of a source of `log` in the local registry, making its key if need be.
void SetMessageFile(const std::string& log, const std::string& source, const std::string& file,
                    DWORD type = REG_EXPAND_SZ);

// Writes events to `source` straight through the bound table, not through a component.
void WriteEvents(const std::string& source, int count, const std::string& prefix = "event",
                 size_t dataBytes = 0);

// This thread's message loop (common/MessagePump.h).
using test::PumpFor;
using test::PumpUntil;

// Runs the writer program, which writes `count` events to `source` from another process (after
// clearing the log of that name when `clearFirst`), and waits for it; true when it wrote them all.
bool WriteFromOtherProcess(const std::string& source, int count, bool clearFirst = false);

// The user SID the system gives the calling user, empty when it has none.
std::vector<uint8_t> CurrentUserSid();

}  // namespace corvane::component_test
