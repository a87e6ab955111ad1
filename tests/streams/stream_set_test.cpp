#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <unordered_set>
#include <vector>

#include "streams/set_probe.h"

namespace {

using Element = keznlsBaseStreamcoSetPtrcoPtr;
using Oracle = std::unordered_set<keznlsBaseStream*>;

std::vector<keznlsBaseStream*> traverse(const keznlsBaseStreamcoSetPtrcoPtrcoSet& set) {
  std::vector<keznlsBaseStream*> seen;
  keznlsBaseStreamcoSetPtrcoPtrcoSetcoIterator it(&set);
  while (++it) seen.push_back(it());
  return seen;
}

// Size, member hash, traversal and lookups agree with the oracle, and the
// table is less than half full.
::testing::AssertionResult agrees(const ProbeSet& set, const Oracle& oracle) {
  unsigned int hash = 0;
  std::vector<keznlsBaseStream*> expected(oracle.begin(), oracle.end()), seen = traverse(set);
  for (keznlsBaseStream* e : expected) {
    hash ^= co_hash(Element(e));
    if (raw(set.find(e)) != e || !set.member(e)) return ::testing::AssertionFailure() << "member lost";
  }
  std::sort(seen.begin(), seen.end());
  std::sort(expected.begin(), expected.end());
  if (set.size() != static_cast<int>(oracle.size()) || seen != expected)
    return ::testing::AssertionFailure() << "size or traversal differs";
  if (set.member_hash() != hash) return ::testing::AssertionFailure() << "member hash differs";
  if (set.has_table() && 2 * set.size() >= set.slots())
    return ::testing::AssertionFailure() << set.size() << " members in " << set.slots() << " slots";
  return ::testing::AssertionSuccess();
}

class StreamSetTest : public ::testing::Test {
 protected:
  StreamSetTest() : pool(400) {}
  keznlsBaseStream* s(int i) { return &pool[static_cast<std::size_t>(i)]; }
  std::vector<RecordingStream> pool;
};

TEST_F(StreamSetTest, AddRemoveAndTheNilElement) {
  ProbeSet set(4, 50);
  EXPECT_EQ(raw(set.find(s(0))), nullptr);
  EXPECT_EQ(raw(set.remove(s(0))), nullptr);
  EXPECT_EQ(raw(set.remove_any()), nullptr);
  EXPECT_FALSE(set.has_table()) << "lookups in an empty set allocate nothing";

  EXPECT_EQ(raw(set.add(s(1))), nullptr);
  const Element& again = set.add(s(1));
  EXPECT_EQ(&again, &set.find(s(1))) << "the stored member, not a copy";
  set.add(s(2));
  set.remove(s(2));
  EXPECT_TRUE(agrees(set, {s(1)}));
  set.remove(s(1));
  EXPECT_EQ(set.member_hash(), 0u);

  // The nil element is never stored: adding it changes nothing.
  EXPECT_EQ(raw(set.add(Element())), nullptr);
  EXPECT_EQ(set.member(Element()), 0);
  EXPECT_TRUE(agrees(set, {}));
}

TEST_F(StreamSetTest, GrowsWhenHalfFull) {
  struct Case {
    int members;
    int slots;
  };
  for (const Case c : {Case{1, 16}, Case{7, 16}, Case{8, 32}, Case{15, 32}, Case{16, 64},
                       Case{100, 256}}) {
    ProbeSet set(4, 50);
    Oracle oracle;
    for (int i = 0; i < c.members; ++i) set.add(s(i)), oracle.insert(s(i));
    EXPECT_EQ(set.slots(), c.slots) << c.members << " members";
    EXPECT_TRUE(agrees(set, oracle));
  }
}

TEST_F(StreamSetTest, ClearKeepsOrReleasesTheGrownTable) {
  for (int flag : {0, 1, 7}) {
    ProbeSet set(4, 50);
    for (int i = 0; i < 10; ++i) set.add(s(i));
    ASSERT_EQ(set.slots(), 32);
    set.clear(flag);
    EXPECT_EQ(set.slots(), flag == 0 ? 32 : 16) << "flag " << flag;
    EXPECT_EQ(set.size(), 0);
    EXPECT_EQ(set.member_hash(), 0u);
    for (int i = 0; i < set.slots(); ++i) EXPECT_EQ(set.slot(i), nullptr);
    EXPECT_EQ(set.member(s(3)), 0);
    set.add(s(3));
    EXPECT_EQ(raw(set.find(s(3))), s(3));
  }
}

TEST_F(StreamSetTest, CopyMatchesSourceAndIsIndependent) {
  ProbeSet source(4, 50);
  for (int i = 0; i < 20; ++i) source.add(s(i));
  ProbeSet copy(ut_copy, source);
  ProbeSet assigned{s(100), s(101)};
  assigned.become(ut_copy, source);
  for (const ProbeSet* c : {&copy, &assigned}) {
    EXPECT_EQ(c->exponent(), source.exponent());
    EXPECT_EQ(c->size(), source.size());
    EXPECT_EQ(c->member_hash(), source.member_hash());
    for (int i = 0; i < source.slots(); ++i) EXPECT_EQ(c->slot(i), source.slot(i)) << i;
  }
  EXPECT_EQ(assigned.member(s(100)), 0);
  ProbeSet empty(4, 50);
  EXPECT_FALSE(ProbeSet(ut_copy, empty).has_table());
  // Independence is checked by the random test.
}

// Streams whose home slot in a 16-slot table is 15 or 0 make runs that wrap
// around the end; removing any one must leave the others findable.
TEST_F(StreamSetTest, RemovalKeepsWrappedRunsFindable) {
  std::vector<keznlsBaseStream*> chosen;
  int at_end = 0, at_start = 0;
  for (int i = 0; i < 400 && chosen.size() < 7; ++i) {
    const unsigned int home = co_hash(Element(s(i))) & 15u;
    if (home == 15 && at_end < 4) ++at_end, chosen.push_back(s(i));
    if (home == 0 && at_start < 3) ++at_start, chosen.push_back(s(i));
  }
  ASSERT_EQ(chosen.size(), 7u);
  for (keznlsBaseStream* removed : chosen) {
    ProbeSet set(4, 50);
    for (keznlsBaseStream* c : chosen) set.add(c);
    ASSERT_EQ(set.slots(), 16);
    EXPECT_EQ(raw(set.remove(removed)), removed);
    Oracle rest(chosen.begin(), chosen.end());
    rest.erase(removed);
    EXPECT_TRUE(agrees(set, rest));
  }
}

// Self operands and pre-sizing; the random test covers the rest.
TEST_F(StreamSetTest, AlgebraEdges) {
  ProbeSet set{s(1), s(2), s(3)};
  const Oracle all{s(1), s(2), s(3)};
  const ProbeSet& itself = set;
  set += itself;
  set *= itself;
  EXPECT_TRUE(agrees(set, all));
  EXPECT_EQ(set <= itself, 1);
  set -= itself;
  EXPECT_TRUE(agrees(set, {}));
  EXPECT_EQ(set.slots(), 16) << "emptying keeps the table";

  ProbeSet big(4, 50);
  for (int i = 0; i < 40; ++i) big.add(s(i));
  set.add(s(1));
  set += big;
  EXPECT_EQ(set.exponent(), big.exponent());
}

// The typed operations and the container's virtual path place members
// alike, so either finds and removes what the other stored.
TEST_F(StreamSetTest, TypedAndVirtualPathsAgree) {
  std::mt19937 rng(7);
  ProbeSet set(4, 50);
  Oracle oracle;
  for (int op = 0; op < 20000; ++op) {
    keznlsBaseStream* e = s(static_cast<int>(rng() % 300));
    const bool typed = rng() % 2 == 0;
    if (rng() % 3 != 0) {
      const bool fresh = oracle.insert(e).second;
      ASSERT_EQ(typed ? raw(set.add(e)) == nullptr : set.untyped_add(e), fresh);
    } else {
      const bool present = oracle.erase(e) == 1;
      ASSERT_EQ(typed ? raw(set.remove(e)) : set.untyped_remove(e), present ? e : nullptr);
    }
    ASSERT_EQ(set.size(), static_cast<int>(oracle.size()));
    keznlsBaseStream* probe = s(static_cast<int>(rng() % 300));
    ASSERT_EQ(set.member(probe) == 1, oracle.count(probe) == 1);
    ASSERT_EQ(set.untyped_member(probe), oracle.count(probe) == 1);
  }
}

// Random operations on two sets, each checked against std::unordered_set.
TEST_F(StreamSetTest, AgreesWithUnorderedSetUnderRandomOperations) {
  std::mt19937 rng(20261206);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned int>(n)); };
  auto stream = [&] { return s(pick(static_cast<int>(pool.size()))); };
  ProbeSet a(4, 50), b(4, 50);
  Oracle oa, ob;

  for (int op = 0; op < 120000; ++op) {
    const bool on_a = pick(3) != 0;
    ProbeSet& set = on_a ? a : b;
    Oracle& oracle = on_a ? oa : ob;
    const int kind = pick(100);
    if (kind < 40) {
      keznlsBaseStream* e = stream();
      const bool fresh = oracle.insert(e).second;
      const Element& r = set.add(e);
      ASSERT_EQ(raw(r), fresh ? nullptr : e) << "op " << op;
    } else if (kind < 70) {
      keznlsBaseStream* e = stream();
      const bool present = oracle.erase(e) == 1;
      ASSERT_EQ(raw(set.remove(e)), present ? e : nullptr) << "op " << op;
    } else if (kind < 75) {
      keznlsBaseStream* taken = set.remove_any();
      ASSERT_EQ(taken == nullptr, oracle.empty());
      if (taken != nullptr) {
        ASSERT_EQ(oracle.erase(taken), 1u);
      }
    } else if (kind < 85) {
      keznlsBaseStream* e = stream();
      ASSERT_EQ(raw(set.find(e)), oracle.count(e) ? e : nullptr);
    } else if (kind < 86) {
      set.clear(pick(2));
      oracle.clear();
    } else if (kind < 87) {
      // A copy starts equal and goes its own way.
      ProbeSet copy(ut_copy, set);
      Oracle copied = oracle;
      ASSERT_TRUE(agrees(copy, copied));
      for (int i = 0; i < 5; ++i) {
        keznlsBaseStream* e = stream();
        copy.add(e), copied.insert(e);
        e = stream();
        copy.remove(e), copied.erase(e);
      }
      ASSERT_TRUE(agrees(copy, copied));
      if (pick(2)) set.become(ut_copy, copy), oracle = copied;
    } else {
      ProbeSet& other = pick(10) == 0 ? set : (on_a ? b : a);
      const Oracle other_oracle = &other == &a ? oa : ob;
      switch (pick(4)) {
        case 0:
          set += other;
          oracle.insert(other_oracle.begin(), other_oracle.end());
          break;
        case 1:
          set -= other;
          for (keznlsBaseStream* e : other_oracle) oracle.erase(e);
          break;
        case 2: {
          set *= other;
          Oracle kept;
          for (keznlsBaseStream* e : oracle) {
            if (other_oracle.count(e)) kept.insert(e);
          }
          oracle = kept;
          break;
        }
        default: {
          const bool subset = std::all_of(oracle.begin(), oracle.end(),
                                          [&](keznlsBaseStream* e) { return other_oracle.count(e) > 0; });
          ASSERT_EQ(set <= other, subset ? 1 : 0) << "op " << op;
        }
      }
    }
    ASSERT_TRUE(agrees(set, oracle)) << "op " << op << " kind " << kind;
  }
  EXPECT_TRUE(agrees(a, oa));
  EXPECT_TRUE(agrees(b, ob));
}

}  // namespace
