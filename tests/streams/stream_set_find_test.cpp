#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <unordered_set>
#include <vector>

#include "keznls/co/co_hash.h"
#include "keznls/co/co_probe.h"
#include "keznls/streams.h"

namespace {

// A table of small numbers whose tens digit is their home slot (0 marks an
// empty slot), so runs and gaps lie exactly where a case puts them.
struct Digits {
  std::vector<int>* table;
  unsigned int mask() const { return static_cast<unsigned int>(table->size()) - 1; }
  unsigned int hash(const int* e) const { return static_cast<unsigned int>(*e / 10); }
  bool same(const int* slot, const int* e) const { return *slot == *e; }
  bool ends(const int* slot, const int* e) const { return same(slot, e) || empty(slot); }
  bool empty(const int* slot) const { return *slot == 0; }
  unsigned int distance(const int* slot, const int* e) const {
    return static_cast<unsigned int>(*slot) ^ static_cast<unsigned int>(*e);
  }
  int* slot(unsigned int index) const { return &(*table)[index]; }
  void store(unsigned int index, const int* e) const { (*table)[index] = *e; }
};

// The lookup that judges two slots at once finds every member and no absent
// element of any home, over tables filled at random up to one empty slot:
// runs that wrap past the end, members two and more slots from home, empty
// home slots and empty second slots.
TEST(StreamSetFindTest, PairedLookupAgreesWithTheProbe) {
  std::mt19937 rng(34);
  for (unsigned int slots : {1u, 2u, 4u, 8u}) {
    for (int round = 0; round < 300; ++round) {
      std::vector<int> table(slots, 0);
      const Digits ops{&table};
      const unsigned int fill = static_cast<unsigned int>(rng() % slots);
      for (unsigned int i = 0; i < fill; ++i) {
        const int e = static_cast<int>(10 * (rng() % slots) + 1 + i);
        ops.store(co_probe_place(ops, &e), &e);
      }
      for (unsigned int i = 0; i < slots; ++i) {
        if (table[i] != 0) {
          EXPECT_EQ(co_probe_lookup(ops, &table[i]), &table[i]) << "member " << table[i];
        }
      }
      for (unsigned int home = 0; home < slots; ++home) {
        const int absent = static_cast<int>(10 * home + 9);
        EXPECT_EQ(co_probe_lookup(ops, &absent), nullptr) << "absent " << absent;
      }
    }
  }
}

struct NullStream : keznlsBaseStream {
  const keznlsBaseStream& operator<<(const char*) const override { return *this; }
};

keznlsBaseStream* raw(const keznlsBaseStreamcoSetPtrcoPtr& e) { return e; }

// Members that removals pulled back and members far from home stay found;
// removed and never-added streams, and the nil element, find the one nil
// element. A pool of `pool` streams, two thirds of them drawn into the set at
// a time; small tables and large ones take different lookups.
void finds_exactly_the_members(int pool, int steps, int checks) {
  const std::unique_ptr<NullStream[]> streams(new NullStream[static_cast<std::size_t>(pool)]);
  keznlsBaseStreamcoSetPtrcoPtrcoSet set(4, 50);
  std::unordered_set<keznlsBaseStream*> oracle;
  std::mt19937 rng(7);
  const keznlsBaseStreamcoSetPtrcoPtr* const nil = &set.find(nullptr);
  EXPECT_EQ(raw(*nil), nullptr);
  for (int step = 1; step <= steps; ++step) {
    keznlsBaseStream* const s = &streams[rng() % static_cast<unsigned int>(pool * 2 / 3)];
    if (rng() % 3 == 0) {
      set.remove(s);
      oracle.erase(s);
    } else {
      set.add(s);
      oracle.insert(s);
    }
    if (step % (steps / checks) != 0) continue;
    for (int i = 0; i < pool; ++i) {
      keznlsBaseStream* const e = &streams[i];
      const bool in = oracle.count(e) != 0;
      ASSERT_EQ(set.member(e), in ? 1 : 0) << "stream " << i << " at step " << step;
      if (in) {
        ASSERT_EQ(raw(set.find(e)), e);
      } else {
        ASSERT_EQ(&set.find(e), nil);
      }
    }
    EXPECT_EQ(set.member(nullptr), 0);
    EXPECT_EQ(&set.find(nullptr), nil);
  }
}

TEST(StreamSetFindTest, FindsExactlyTheMembersOfASmallTable) { finds_exactly_the_members(3000, 20000, 20); }

TEST(StreamSetFindTest, FindsExactlyTheMembersOfALargeTable) { finds_exactly_the_members(90000, 200000, 4); }

// The objects of one array lie at a fixed stride. Hashed into a table at
// half load, they must not cluster more than random keys would (mean probe
// about 0.5); a single multiply, for one, leaves runs of hundreds of slots
// at stride 8.
TEST(StreamSetFindTest, AddressesOfOneArraySpreadOverTheTable) {
  constexpr unsigned int kBits = 21;
  constexpr unsigned int kMask = (1u << kBits) - 1;
  for (std::uint64_t stride : {8u, 16u, 24u, 48u, 64u, 4096u}) {
    std::vector<std::uint64_t> table(kMask + 1, 0);
    std::uint64_t total = 0, longest = 0;
    const unsigned int n = (kMask + 1) / 2 - 1;
    for (unsigned int i = 0; i < n; ++i) {
      const std::uint64_t address = 0x7f3a12345000u + stride * i;
      unsigned int index = co_hash_word(address) & kMask;
      std::uint64_t probe = 0;
      for (; table[index] != 0; index = (index + 1) & kMask) ++probe;
      table[index] = address;
      total += probe;
      if (probe > longest) longest = probe;
    }
    const double mean = static_cast<double>(total) / n;
    EXPECT_GT(mean, 0.45) << "stride " << stride;
    EXPECT_LT(mean, 0.55) << "stride " << stride;
    EXPECT_LT(longest, 80u) << "stride " << stride;
  }
  std::uint64_t word = 0x7f3a12345678u;
  EXPECT_EQ(co_hash(&word, sizeof word), co_hash_word(word));
  EXPECT_EQ(co_hash_word(0), 0u);
}

}  // namespace
