#include "system/SystemTables.h"

#include "system/AdvApi32.h"
#include "system/ErrorText.h"
#include "system/NetApi32.h"
#include "system/NT_vs_95.h"
#include "system/Platform.h"
#include "system/Security.h"

namespace corvane {

TServiceFunctions ServiceApi;
TNetFunctions NetApi;

void TableEntryBase::RaiseMissing() const {
  const std::string text = SystemErrorText(ERROR_PROC_NOT_FOUND);
  const std::string library = table_ && !table_->Library.empty() ? table_->Library : "(not bound)";
  RaiseSystemError(text + " (" + name_ + " in \"" + library + "\")");
}

namespace {

template <class Table, class Rename>
void BindTable(Table& table, const std::string& library, Rename rename) {
  SystemPlatform& platform = Platform();
  table.Library = library;
  HMODULE module = platform.LoadLibrary(library.c_str());
  if (!module) {
    const std::string text = "Cannot load library \"" + library + "\" or linked libraries";
    platform.MessageBox(text.c_str(), "Error", MB_ICONERROR);
    table.ForEach([](TableEntryBase& entry) { entry.Bind(nullptr); });
    return;
  }
  table.ForEach([&](TableEntryBase& entry) {
    entry.Bind(platform.GetProcAddress(module, rename(entry.Name()).c_str()));
  });
}

template <class Table>
TableSummary Summarise(const char* name, Table& table) {
  TableSummary summary{name, table.Library, 0, 0, {}};
  table.ForEach([&](TableEntryBase& entry) {
    ++summary.total;
    if (entry) ++summary.bound;
    else summary.missing.emplace_back(entry.Name());
  });
  return summary;
}

}  // namespace

void BindSystemTables() {
  const std::string single = Platform().Environment(kSystemLibraryVariable);
  const bool nt = !single.empty() || IsWindowsNT();
  const auto pick = [&](const char* ntLibrary) {
    return !single.empty() ? single : std::string(nt ? ntLibrary : "radmin32.dll");
  };
  const auto same = [](const char* name) { return std::string(name); };
  const auto net = [&](const char* name) {
    return single.empty() ? NetFunctionName(name) : std::string(name);
  };

  BindTable(EventLogApi, pick("advapi32.dll"), same);
  BindTable(ServiceApi, pick("advapi32.dll"), same);
  BindTable(NetApi, pick("netapi32.dll"), net);
  BindTable(SecurityApi, pick("advapi32.dll"), same);
}

std::vector<TableSummary> DescribeSystemTables() {
  return {Summarise("event-log and account", EventLogApi),
          Summarise("service and registry", ServiceApi),
          Summarise("network management", NetApi), Summarise("security", SecurityApi)};
}

}  // namespace corvane
