// Test helpers: streams that record what they receive, and a set that shows
// its table.
#ifndef KEZNLS_TESTS_STREAMS_SET_PROBE_H
#define KEZNLS_TESTS_STREAMS_SET_PROBE_H

#include <string>
#include <vector>

#include "keznls/streams.h"

/// Keeps every text written to it, one entry per write.
class RecordingStream : public keznlsBaseStream {
 public:
  const keznlsBaseStream& operator<<(const char* text) const override {
    writes.emplace_back(text);
    return *this;
  }
  mutable std::vector<std::string> writes;
};

/// The stream an element wraps (comparing elements with pointers directly
/// would be ambiguous).
inline keznlsBaseStream* raw(const keznlsBaseStreamcoSetPtrcoPtr& e) { return e; }

/// A stream set whose table the tests may look into.
class ProbeSet : public keznlsBaseStreamcoSetPtrcoPtrcoSet {
 public:
  using keznlsBaseStreamcoSetPtrcoPtrcoSet::keznlsBaseStreamcoSetPtrcoPtrcoSet;

  int slots() const { return hash_size(); }
  int exponent() const { return arr_size(nullptr); }
  unsigned int member_hash() const { return member_hash_; }
  bool has_table() const { return arr_get(nullptr, 0) != obj_nil(); }
  keznlsBaseStream* slot(int i) const {
    return *static_cast<const keznlsBaseStreamcoSetPtrcoPtr*>(arr_get(nullptr, i));
  }

  // The container's own entry points, driven through the virtual operations.
  bool untyped_add(keznlsBaseStream* s) {
    keznlsBaseStreamcoSetPtrcoPtr e(s);
    return basecoSet::add(&e) == nullptr;
  }
  keznlsBaseStream* untyped_remove(keznlsBaseStream* s) {
    keznlsBaseStreamcoSetPtrcoPtr key(s), out;
    basecoSet::remove(&key, &out);
    return out;
  }
  bool untyped_member(keznlsBaseStream* s) const {
    keznlsBaseStreamcoSetPtrcoPtr e(s);
    return basecoSet::member(&e) != 0;
  }
};

#endif  // KEZNLS_TESTS_STREAMS_SET_PROBE_H
