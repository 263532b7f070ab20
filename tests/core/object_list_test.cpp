// The owning object list: bisection search with duplicates, sorted insertion, slot ownership.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/ObjList.h"
#include "framework/OleSysError.h"

namespace corvane {
namespace {

// An entry that records its destruction.
class Tracked : public TPersistent {
 public:
  Tracked(int key, int tag, std::vector<int>* destroyed) : key(key), tag(tag), destroyed(destroyed) {}
  ~Tracked() override {
    if (destroyed) destroyed->push_back(tag);
  }
  int key;
  int tag;
  std::vector<int>* destroyed;
};

int CompareKeys(const TPersistent* entry, const TPersistent& key) {
  return static_cast<const Tracked*>(entry)->key - static_cast<const Tracked&>(key).key;
}

std::unique_ptr<Tracked> Make(int key, int tag, std::vector<int>* destroyed = nullptr) {
  return std::make_unique<Tracked>(key, tag, destroyed);
}

std::vector<int> Tags(const TObjectList& list) {
  std::vector<int> tags;
  for (int i = 0; i < list.Count(); ++i) {
    const auto* t = static_cast<const Tracked*>(list.Items(i));
    tags.push_back(t ? t->tag : -1);
  }
  return tags;
}

TEST(ObjectList, NewListOwnsItsEntriesAndAcceptsDuplicates) {
  TComponent owner(nullptr);
  TObjectList list(&owner);
  EXPECT_EQ(list.Owner(), &owner);
  EXPECT_TRUE(list.OwnsObjects());
  EXPECT_EQ(list.Duplicates(), TDuplicates::Accept);
  EXPECT_EQ(list.Count(), 0);
}

TEST(ObjectList, AddSortedPlacesEachEntryInFrontOfItsEquals) {
  TObjectList list(nullptr);
  for (auto [key, tag] : std::vector<std::pair<int, int>>{{5, 1}, {3, 2}, {5, 3}, {9, 4}, {5, 5}, {1, 6}})
    list.AddSorted(Make(key, tag), CompareKeys);
  // Keys 1 3 5 5 5 9; the last 5 added stands first among the fives.
  EXPECT_EQ(Tags(list), (std::vector<int>{6, 2, 5, 3, 1, 4}));

  Tracked key(5, 0, nullptr);
  int index = -1;
  EXPECT_TRUE(list.Find(key, CompareKeys, index));
  EXPECT_EQ(index, 2);
  key.key = 4;
  EXPECT_FALSE(list.Find(key, CompareKeys, index));
  EXPECT_EQ(index, 2);
  key.key = 10;
  EXPECT_FALSE(list.Find(key, CompareKeys, index));
  EXPECT_EQ(index, 6);
  key.key = 0;
  EXPECT_FALSE(list.Find(key, CompareKeys, index));
  EXPECT_EQ(index, 0);

  TObjectList empty(nullptr);
  EXPECT_FALSE(empty.Find(key, CompareKeys, index));
  EXPECT_EQ(index, 0);
}

TEST(ObjectList, FindWithoutAcceptStillFindsAnEqualEntry) {
  TObjectList list(nullptr);
  for (int k : {1, 2, 2, 2, 2, 3, 4}) list.Add(Make(k, k));
  list.SetDuplicates(TDuplicates::Ignore);
  Tracked key(2, 0, nullptr);
  int index = -1;
  EXPECT_TRUE(list.Find(key, CompareKeys, index));
  ASSERT_GE(index, 1);
  ASSERT_LE(index, 4);
  EXPECT_EQ(static_cast<Tracked*>(list.Items(index))->key, 2);
}

TEST(ObjectList, RemovingEntriesDestroysThemOnlyWhenOwning) {
  std::vector<int> destroyed;
  {
    TObjectList list(nullptr);
    list.Add(Make(0, 1, &destroyed));
    list.Add(nullptr);
    list.Add(Make(0, 3, &destroyed));
    list.Add(Make(0, 4, &destroyed));
    list.Delete(0);
    EXPECT_EQ(destroyed, (std::vector<int>{1}));
    list.Delete(0);  // an empty slot
    EXPECT_EQ(Tags(list), (std::vector<int>{3, 4}));
    list.Put(1, Make(0, 5, &destroyed));
    EXPECT_EQ(destroyed, (std::vector<int>{1, 4}));
    list.Clear();
    EXPECT_EQ(destroyed, (std::vector<int>{1, 4, 3, 5}));
    list.Add(Make(0, 6, &destroyed));
  }
  EXPECT_EQ(destroyed, (std::vector<int>{1, 4, 3, 5, 6}));

  destroyed.clear();
  auto kept = Make(0, 7, &destroyed);
  {
    TObjectList list(nullptr);
    list.SetOwnsObjects(false);
    list.Add(std::unique_ptr<TPersistent>(kept.get()));
    list.Add(std::unique_ptr<TPersistent>(kept.get()));
    list.Delete(0);
  }
  EXPECT_TRUE(destroyed.empty());
}

TEST(ObjectList, SlotsGrowEmptyAndBadPositionsAreRefused) {
  std::vector<int> destroyed;
  TObjectList list(nullptr);
  list.SetCount(4);
  EXPECT_EQ(Tags(list), (std::vector<int>{-1, -1, -1, -1}));
  list.Put(2, Make(0, 9, &destroyed));
  list.Insert(4, Make(0, 8, &destroyed));
  EXPECT_EQ(Tags(list), (std::vector<int>{-1, -1, 9, -1, 8}));
  list.SetCount(2);
  EXPECT_EQ(destroyed, (std::vector<int>{8, 9}));

  auto message = [](const std::function<void()>& action) -> std::string {
    try {
      action();
    } catch (const EOleSysError& e) {
      return e.Message();
    }
    return "(no error)";
  };
  EXPECT_EQ(message([&] { list.Items(2); }), "List index out of bounds (2)");
  EXPECT_EQ(message([&] { list.Delete(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(message([&] { list.Insert(3, nullptr); }), "List index out of bounds (3)");
  EXPECT_EQ(message([&] { list.AddSorted(nullptr, CompareKeys); }),
            "An empty entry has no sorted position");
  EXPECT_EQ(list.Count(), 2);
}

}  // namespace
}  // namespace corvane
