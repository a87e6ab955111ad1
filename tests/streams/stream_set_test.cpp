#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <unordered_set>
#include <vector>

#include "keznls/streams.h"

namespace {

using Element = keznlsBaseStreamcoSetPtrcoPtr;
using Oracle = std::unordered_set<keznlsBaseStream*>;

// Comparing elements with pointers directly would be ambiguous.
keznlsBaseStream* raw(const Element& e) { return e; }

class ProbeSet : public keznlsBaseStreamcoSetPtrcoPtrcoSet {
 public:
  using keznlsBaseStreamcoSetPtrcoPtrcoSet::keznlsBaseStreamcoSetPtrcoPtrcoSet;
  int slots() const { return hash_size(); }
  int exponent() const { return arr_size(nullptr); }
  unsigned int member_hash() const { return member_hash_; }
  bool has_table() const { return arr_get(nullptr, 0) != obj_nil(); }
  keznlsBaseStream* slot(int i) const { return *static_cast<const Element*>(arr_get(nullptr, i)); }

  // The container's own entry points, driven through the virtual operations.
  bool untyped_add(keznlsBaseStream* s) {
    Element e(s);
    return basecoSet::add(&e) == nullptr;
  }
  keznlsBaseStream* untyped_remove(keznlsBaseStream* s) {
    Element key(s), out;
    basecoSet::remove(&key, &out);
    return out;
  }
  bool untyped_member(keznlsBaseStream* s) const {
    Element e(s);
    return basecoSet::member(&e) != 0;
  }
};

struct NullStream : keznlsBaseStream {
  const keznlsBaseStream& operator<<(const char*) const override { return *this; }
};

// Size, member hash, traversal and lookups agree with the oracle, and the
// table is less than half full.
::testing::AssertionResult agrees(const ProbeSet& set, const Oracle& oracle) {
  unsigned int hash = 0;
  std::vector<keznlsBaseStream*> expected(oracle.begin(), oracle.end()), seen;
  keznlsBaseStreamcoSetPtrcoPtrcoSetcoIterator it(&set);
  while (++it) seen.push_back(it());
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
  std::vector<NullStream> pool;
};

TEST_F(StreamSetTest, EmptySetNilElementAndSelfOperands) {
  ProbeSet set(4, 50);
  EXPECT_EQ(raw(set.find(s(0))), nullptr);
  EXPECT_EQ(raw(set.remove(s(0))), nullptr);
  EXPECT_EQ(raw(set.remove_any()), nullptr);
  EXPECT_FALSE(set.has_table()) << "lookups in an empty set allocate nothing";

  for (int i = 1; i <= 3; ++i) set.add(s(i));
  EXPECT_EQ(&set.add(s(1)), &set.find(s(1))) << "the stored member, not a copy";
  const ProbeSet& itself = set;
  set += itself;
  set *= itself;
  EXPECT_TRUE(agrees(set, {s(1), s(2), s(3)}));
  EXPECT_EQ(set <= itself, 1);
  set -= itself;
  EXPECT_TRUE(agrees(set, {}));
  EXPECT_EQ(set.slots(), 16) << "emptying keeps the table";

  EXPECT_EQ(raw(set.add(Element())), nullptr);
  EXPECT_EQ(set.member(Element()), 0);
  EXPECT_TRUE(agrees(set, {})) << "nil is never stored";

  ProbeSet big(4, 50);
  for (int i = 0; i < 40; ++i) big.add(s(i));
  set.add(s(1));
  set += big;
  EXPECT_EQ(set.exponent(), big.exponent()) << "a union sizes the table once";
}

TEST_F(StreamSetTest, GrowsWhenHalfFullAndClearKeepsOrReleasesTheTable) {
  struct Case {
    int members, slots;
  };
  for (const Case c : {Case{7, 16}, Case{8, 32}, Case{15, 32}, Case{16, 64}}) {
    ProbeSet set(4, 50);
    for (int i = 0; i < c.members; ++i) set.add(s(i));
    EXPECT_EQ(set.slots(), c.slots) << c.members << " members";
  }
  for (int flag : {0, 1, 7}) {
    ProbeSet set(4, 50);
    for (int i = 0; i < 10; ++i) set.add(s(i));
    ASSERT_EQ(set.slots(), 32);
    set.clear(flag);
    EXPECT_EQ(set.slots(), flag == 0 ? 32 : 16) << "flag " << flag;
    for (int i = 0; i < set.slots(); ++i) EXPECT_EQ(set.slot(i), nullptr);
    set.add(s(3));
    EXPECT_TRUE(agrees(set, {s(3)}));
  }
}

// Independence of a copy is checked by the random test.
TEST_F(StreamSetTest, CopyHasTheSourcesTable) {
  ProbeSet source(4, 50), empty(4, 50), assigned{s(100), s(101)};
  Oracle oracle;
  for (int i = 0; i < 20; ++i) source.add(s(i)), oracle.insert(s(i));
  ProbeSet copy(ut_copy, source);
  assigned.become(ut_copy, source);
  for (const ProbeSet* c : {&copy, &assigned}) {
    EXPECT_TRUE(agrees(*c, oracle));
    EXPECT_EQ(c->exponent(), source.exponent());
    for (int i = 0; i < source.slots(); ++i) EXPECT_EQ(c->slot(i), source.slot(i)) << i;
  }
  EXPECT_FALSE(ProbeSet(ut_copy, empty).has_table());
}

// Random operations on two sets, each checked against std::unordered_set.
// Adds, removals and lookups go through the typed operations or the
// container's virtual path at random, so each must find what the other stored.
TEST_F(StreamSetTest, AgreesWithUnorderedSetUnderRandomOperations) {
  std::mt19937 rng(20261206);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned int>(n)); };
  auto stream = [&] { return s(pick(static_cast<int>(pool.size()))); };
  ProbeSet a(4, 50), b(4, 50);
  Oracle oa, ob;

  for (int op = 0; op < 120000; ++op) {
    const bool on_a = pick(3) != 0, typed = pick(2) != 0;
    ProbeSet& set = on_a ? a : b;
    Oracle& oracle = on_a ? oa : ob;
    const int kind = pick(100);
    keznlsBaseStream* e = stream();
    if (kind < 40) {
      const bool fresh = oracle.insert(e).second;
      if (typed) {
        ASSERT_EQ(raw(set.add(e)), fresh ? nullptr : e) << "op " << op;
      } else {
        ASSERT_EQ(set.untyped_add(e), fresh) << "op " << op;
      }
    } else if (kind < 70) {
      const bool present = oracle.erase(e) == 1;
      ASSERT_EQ(typed ? raw(set.remove(e)) : set.untyped_remove(e), present ? e : nullptr)
          << "op " << op;
    } else if (kind < 75) {
      keznlsBaseStream* taken = set.remove_any();
      ASSERT_EQ(taken == nullptr, oracle.empty());
      if (taken != nullptr) ASSERT_EQ(oracle.erase(taken), 1u);
    } else if (kind < 85) {
      ASSERT_EQ(raw(set.find(e)), oracle.count(e) ? e : nullptr);
      ASSERT_EQ(set.untyped_member(e), oracle.count(e) == 1);
    } else if (kind < 86) {
      set.clear(pick(2));
      oracle.clear();
    } else if (kind < 87) {
      // A copy starts equal and goes its own way.
      ProbeSet copy(ut_copy, set);
      Oracle copied = oracle;
      ASSERT_TRUE(agrees(copy, copied));
      for (int i = 0; i < 5; ++i) {
        copy.add(e = stream()), copied.insert(e);
        copy.remove(e = stream()), copied.erase(e);
      }
      ASSERT_TRUE(agrees(copy, copied));
      if (pick(2)) set.become(ut_copy, copy), oracle = copied;
    } else {
      ProbeSet& other = pick(10) == 0 ? set : (on_a ? b : a);
      const Oracle other_oracle = &other == &a ? oa : ob;
      const int algebra = pick(4);
      if (algebra == 0) {
        set += other;
        oracle.insert(other_oracle.begin(), other_oracle.end());
      } else if (algebra == 1) {
        set -= other;
        for (keznlsBaseStream* o : other_oracle) oracle.erase(o);
      } else if (algebra == 2) {
        set *= other;
        for (auto it = oracle.begin(); it != oracle.end();)
          it = other_oracle.count(*it) ? std::next(it) : oracle.erase(it);
      } else {
        const bool subset = std::all_of(oracle.begin(), oracle.end(),
                                        [&](keznlsBaseStream* o) { return other_oracle.count(o) > 0; });
        ASSERT_EQ(set <= other, subset ? 1 : 0) << "op " << op;
      }
    }
    ASSERT_TRUE(agrees(set, oracle)) << "op " << op << " kind " << kind;
  }
  EXPECT_TRUE(agrees(a, oa));
  EXPECT_TRUE(agrees(b, ob));
}

}  // namespace
