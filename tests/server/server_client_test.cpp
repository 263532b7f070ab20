// Corvane.ocx as a C++ client program meets it once regsvr32 registered it in the prefix: the
// control made from its program identifier, its state saved and restored through a stream, and
// its events reaching a sink of the client's own when another process writes to the log.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ComponentTestSupport.h"
#include "ControlEvents.h"
#include "framework/WinHandle.h"
#include "framework/com/AnsiConversion.h"
#include "framework/com/UniqueBstr.h"

namespace corvane {
namespace {

using component_test::PumpUntil;
using component_test::TestLog;
using component_test::WriteFromOtherProcess;
using control_test::EventsPoint;
using control_test::Restore;
using control_test::SavedState;
using control_test::Sink;

// Runs `command` and waits for it; its exit code, or -1 when it did not start.
long RunAndWait(std::string command) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return -1;
  }
  const TUniqueHandle thread(process.hThread);
  const TUniqueHandle child(process.hProcess);
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  return static_cast<long>(code);
}

class ServerClientTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    ASSERT_EQ(RunAndWait("regsvr32.exe /s \"" CORVANE_BINARY_DIR "\\bin\\Corvane.ocx\""), 0);
  }
  static void TearDownTestSuite() { CoUninitialize(); }
};

ComPtr<IVEVivudAreX> CreateByProgId() {
  CLSID clsid{};
  EXPECT_EQ(CLSIDFromProgID(L"Corvane.Rendal", &clsid), S_OK);
  ComPtr<IVEVivudAreX> control;
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IVEVivudAreX), control.put_void()),
            S_OK);
  return control;
}

TEST_F(ServerClientTest, ARestoredActiveControlTellsItsSinkWhenAnotherProcessWrites) {
  TestLog log("client", {"ClientSource"});
  std::vector<uint8_t> saved;
  {
    ComPtr<IVEVivudAreX> original = CreateByProgId();
    ASSERT_TRUE(original);
    ASSERT_EQ(original->put_SourceName(AnsiToBstr(log.Name()).get()), S_OK);
    ASSERT_EQ(original->put_Active(VARIANT_TRUE), S_OK);
    saved = SavedState(*original.query<IDispatch>().get());
  }

  ComPtr<IVEVivudAreX> control = CreateByProgId();
  ASSERT_TRUE(control);
  ComPtr<IDispatch> dispatch = control.query<IDispatch>();
  ASSERT_EQ(Restore(*dispatch.get(), saved), S_OK);
  VARIANT_BOOL active = VARIANT_FALSE;
  ASSERT_EQ(control->get_Active(&active), S_OK);
  EXPECT_EQ(active, VARIANT_TRUE);

  ComPtr<Sink> sink = Make<Sink>();
  DWORD cookie = 0;
  ASSERT_EQ(EventsPoint(*dispatch.get())->Advise(sink->Identity(), &cookie), S_OK);
  ASSERT_TRUE(WriteFromOtherProcess(log.Name(), 1));
  ASSERT_TRUE(PumpUntil([&] { return sink->onChange > 0; }, 10000));
  EXPECT_EQ(sink->lastId, 2);
  EXPECT_EQ(EventsPoint(*dispatch.get())->Unadvise(cookie), S_OK);
}

}  // namespace
}  // namespace corvane
