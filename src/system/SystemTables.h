// Filling the four tables of late-bound system functions at library start.
#pragma once

#include <string>
#include <vector>

namespace corvane {

// Environment variable naming one library that then serves all four tables, with the NT names:
// the bundled event-log service on hosts whose own is missing or a stub.
constexpr const char kSystemLibraryVariable[] = "CORVANE_SYSTEM_LIBRARY";

// Fills the tables in their fixed order: event-log and account, service and registry, network
// management, security. A library that does not load is reported in a message box and leaves
// its table empty; start goes on. Uses Platform() for loading, messages and the version.
void BindSystemTables();

struct TableSummary {
  std::string table;
  std::string library;
  int bound = 0;
  int total = 0;
  std::vector<std::string> missing;
};

// What each table holds now, in binding order.
std::vector<TableSummary> DescribeSystemTables();

}  // namespace corvane
