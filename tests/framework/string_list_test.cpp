// The string list: positions, sorting and duplicates, the comparison rule, text form, copying.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/OleSysError.h"
#include "framework/StringList.h"

namespace corvane {
namespace {

std::vector<std::string> Entries(const TStringList& list) { return {list.begin(), list.end()}; }

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EOleSysError& e) {
    return e.Message();
  }
  return "(no error)";
}

TEST(StringList, UnsortedListKeepsPositionsAndReportsBadIndexes) {
  TStringList list;
  EXPECT_EQ(list.Add("b"), 0);
  EXPECT_EQ(list.Add("a"), 1);
  list.Insert(0, "c");
  list.Insert(3, "d");
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"c", "b", "a", "d"}));
  list.Delete(1);
  list.Put(0, "x");
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"x", "a", "d"}));

  EXPECT_EQ(ErrorOf([&] { list.Get(3); }), "List index out of bounds (3)");
  EXPECT_EQ(ErrorOf([&] { list.Delete(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(ErrorOf([&] { list.Insert(5, "y"); }), "List index out of bounds (5)");
  EXPECT_EQ(list.Count(), 3);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, ComparisonIgnoresAsciiCaseAndOrdersBytesUnsigned) {
  TStringList list;
  EXPECT_EQ(list.CompareStrings("Application", "application"), 0);
  EXPECT_LT(list.CompareStrings("abc", "ABD"), 0);
  EXPECT_LT(list.CompareStrings("ab", "abc"), 0);
  // Underscore sorts before letters in either case; bytes above 127 after ASCII.
  EXPECT_LT(list.CompareStrings("_x", "A"), 0);
  EXPECT_GT(list.CompareStrings("\xC4rger", "Zebra"), 0);
  // Only ASCII letters fold: these two code-page letters stay different.
  EXPECT_NE(list.CompareStrings("\xC4", "\xE4"), 0);

  list.Add("System");
  list.Add("application");
  EXPECT_EQ(list.IndexOf("APPLICATION"), 1);
  EXPECT_TRUE(list.Contains("system"));
  EXPECT_EQ(list.IndexOf("Security"), -1);

  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf("APPLICATION"), -1);
  EXPECT_LT(list.CompareStrings("Z", "a"), 0);
}

TEST(StringList, SortedListFilesNewEntriesInOrderAndHonoursDuplicates) {
  TStringList list{"Security", "application", "System", "Application"};
  list.SetSorted(true);
  // Stable: the two equal spellings keep their order.
  EXPECT_EQ(Entries(list),
            (std::vector<std::string>{"application", "Application", "Security", "System"}));

  // Ignore (the default): the existing entry's position, nothing added.
  EXPECT_EQ(list.Duplicates(), TDuplicates::Ignore);
  EXPECT_EQ(list.Add("SECURITY"), 2);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Add("DNS Server"), 2);

  list.SetDuplicates(TDuplicates::Accept);
  const int at = list.Add("system");
  EXPECT_TRUE(list[at] == "system");
  EXPECT_EQ(list.Count(), 6);
  // Accept: Find names the first of equal entries.
  int index = -1;
  EXPECT_TRUE(list.Find("SYSTEM", index));
  EXPECT_EQ(index, 4);
  EXPECT_FALSE(list.Find("Setup", index));
  EXPECT_EQ(index, 4);

  list.SetDuplicates(TDuplicates::Error);
  EXPECT_EQ(ErrorOf([&] { list.Add("dns server"); }), "String list does not allow duplicates");
  EXPECT_EQ(ErrorOf([&] { list.Insert(0, "zzz"); }), "Operation not allowed on sorted string list");
  EXPECT_EQ(ErrorOf([&] { list.Put(0, "zzz"); }), "Operation not allowed on sorted string list");
  EXPECT_EQ(list.Count(), 6);
}

TEST(StringList, TextJoinsWithLineBreaksAndSplitsOnEveryKindOfBreak) {
  TStringList list{"one", "", "three"};
  EXPECT_EQ(list.Text(), "one\r\n\r\nthree\r\n");

  list.SetText("a\r\nb\rc\nd");
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"a", "b", "c", "d"}));
  list.SetText("x\r\ny\r\nz\r\n");
  EXPECT_EQ(list.Count(), 3);
  list.SetText("x\n\ny\r\r\n");
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"x", "", "y", ""}));
  list.SetText("");
  EXPECT_EQ(list.Count(), 0);
}

class Other : public TPersistent {};

TEST(StringList, AssignCopiesStringsIntoTheTargetsOwnOrder) {
  TStringList source{"b", "A", "c", "a"};
  TStringList target{"old"};
  target.SetSorted(true);
  target.Assign(source);
  // The target is sorted and ignores duplicates: "a" equals "A".
  EXPECT_EQ(Entries(target), (std::vector<std::string>{"A", "b", "c"}));
  EXPECT_EQ(Entries(source), (std::vector<std::string>{"b", "A", "c", "a"}));

  source.AddStrings(source);
  EXPECT_EQ(source.Count(), 8);

  Other other;
  EXPECT_EQ(ErrorOf([&] { target.Assign(other); }), "Cannot assign a TPersistent to a TStringList");
  EXPECT_EQ(target.Count(), 3);
}

TEST(StringList, CapacityHoldsExactlyWhatIsAskedButNeverLessThanTheEntries) {
  TStringList list{"a", "b", "c"};
  list.SetCapacity(10);
  EXPECT_GE(list.Capacity(), 10);
  list.SetCapacity(3);
  EXPECT_EQ(list.Capacity(), 3);
  EXPECT_EQ(list.Text(), "a\r\nb\r\nc\r\n") << "the entries stay";
  EXPECT_THROW(list.SetCapacity(2), EOleSysError);
  EXPECT_EQ(list.Count(), 3);
}

}  // namespace
}  // namespace corvane
