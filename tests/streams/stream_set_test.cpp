#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <random>
#include <unordered_set>
#include <vector>

#include "keznls/co/co_hash.h"
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
  unsigned int member_hash() const { return member_hash_; }
  bool has_table() const { return arr_get(nullptr, 0) != obj_nil(); }
};

struct NullStream : keznlsBaseStream {
  const keznlsBaseStream& operator<<(const char*) const override { return *this; }
};

// Agrees with the oracle, and the table is less than half full.
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

template <class Keep>
void keep_only(Oracle& oracle, Keep keep) {
  for (auto it = oracle.begin(); it != oracle.end();) it = keep(*it) ? std::next(it) : oracle.erase(it);
}

NullStream pool[400];
keznlsBaseStream* s(int i) { return &pool[i]; }

// Lookups on an empty set, and operands that are the set itself, are the random test's.
TEST(StreamSetTest, EmptySetStoredMemberAndNil) {
  ProbeSet empty(4, 50);
  empty.find(s(0));
  empty.remove(s(0));
  EXPECT_FALSE(empty.has_table()) << "lookups in an empty set allocate nothing";

  ProbeSet set{s(1), s(2), s(3)};
  EXPECT_EQ(&set.add(s(1)), &set.find(s(1))) << "the stored member, not a copy";
  EXPECT_EQ(raw(set.add(Element())), nullptr);
  EXPECT_EQ(set.member(Element()), 0);
  EXPECT_TRUE(agrees(set, {s(1), s(2), s(3)})) << "nil is never stored";
}

// Tables of 16 to 1024 slots: many runs wrap around the end, and the filtering
// walk of `*=` must judge each member once, even one pulled back over the end.
TEST(StreamSetTest, AgreesWithUnorderedSetUnderRandomOperations) {
  std::mt19937 rng(20261206);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned int>(n)); };
  auto stream = [&] { return s(pick(400)); };
  ProbeSet a(4, 50), b(4, 50);
  Oracle oa, ob;

  for (int op = 0; op < 120000; ++op) {
    const bool on_a = pick(3) != 0;
    ProbeSet& set = on_a ? a : b;
    Oracle& oracle = on_a ? oa : ob;
    const int kind = pick(100);
    keznlsBaseStream* e = stream();
    if (kind < 40) {
      ASSERT_EQ(raw(set.add(e)), oracle.insert(e).second ? nullptr : e);
    } else if (kind < 70) {
      ASSERT_EQ(raw(set.remove(e)), oracle.erase(e) ? e : nullptr);
    } else if (kind < 75) {
      keznlsBaseStream* taken = set.remove_any();
      ASSERT_EQ(taken == nullptr, oracle.empty());
      ASSERT_TRUE(taken == nullptr || oracle.erase(taken) == 1);
    } else if (kind < 85) {
      ASSERT_EQ(raw(set.find(e)), oracle.count(e) ? e : nullptr);
    } else if (kind < 86) {
      // 0 keeps the grown table; anything else returns to the initial size.
      const int flag = pick(2), before = set.slots();
      set.clear(flag);
      oracle.clear();
      ASSERT_EQ(set.slots(), flag == 0 ? before : ProbeSet(4, 50).slots());
    } else if (kind < 87) {
      // A copy starts equal and goes its own way.
      ProbeSet copy(ut_copy, set);
      Oracle copied = oracle;
      for (int i = 0; i < 5; ++i) {
        copy.add(e = stream()), copied.insert(e);
        copy.remove(e = stream()), copied.erase(e);
      }
      ASSERT_TRUE(agrees(copy, copied));
      if (pick(2)) set.become(ut_copy, copy), oracle = copied;
    } else {
      ProbeSet& other = pick(10) == 0 ? set : (on_a ? b : a);
      const Oracle other_oracle = &other == &a ? oa : ob;
      auto in_other = [&](keznlsBaseStream* o) { return other_oracle.count(o) == 1; };
      const int algebra = pick(4);
      if (algebra == 0) set += other, oracle.insert(other_oracle.begin(), other_oracle.end());
      if (algebra == 1) set -= other, keep_only(oracle, [&](auto o) { return !in_other(o); });
      if (algebra == 2) set *= other, keep_only(oracle, in_other);
      if (algebra == 3) {
        ASSERT_EQ(set <= other, std::all_of(oracle.begin(), oracle.end(), in_other) ? 1 : 0);
      }
    }
    ASSERT_TRUE(agrees(set, oracle)) << "op " << op << " kind " << kind;
  }
}

// Only tables this large take the lookup that judges two slots at once.
TEST(StreamSetTest, ALargeTableFindsExactlyItsMembers) {
  const int pool = 90000, steps = 200000, checks = 4;
  const std::unique_ptr<NullStream[]> streams(new NullStream[static_cast<std::size_t>(pool)]);
  ProbeSet set(4, 50);
  std::unordered_set<keznlsBaseStream*> oracle;
  std::mt19937 rng(7);
  const Element* const nil = &set.find(nullptr);
  EXPECT_EQ(raw(*nil), nullptr);
  for (int step = 1; step <= steps; ++step) {
    keznlsBaseStream* const s = &streams[rng() % static_cast<unsigned int>(pool * 2 / 3)];
    if (rng() % 3 == 0) set.remove(s), oracle.erase(s);
    else set.add(s), oracle.insert(s);
    if (step % (steps / checks) != 0) continue;
    for (int i = 0; i < pool; ++i) {
      keznlsBaseStream* const e = &streams[i];
      const bool in = oracle.count(e) != 0;
      ASSERT_EQ(set.member(e), in ? 1 : 0) << "stream " << i << " at step " << step;
      if (in) ASSERT_EQ(raw(set.find(e)), e);
      else ASSERT_EQ(&set.find(e), nil);
    }
    EXPECT_EQ(set.member(nullptr), 0);
    EXPECT_EQ(&set.find(nullptr), nil);
  }
}

}  // namespace
