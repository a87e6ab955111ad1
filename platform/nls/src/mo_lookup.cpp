// Finding a message in a validated catalogue: through the file's hash table
// when it has one, else by binary search over the sorted originals.
#include <cstring>

#include "mo_format.h"
#include "keznls/nls/nls.h"

const char* nlsLoadedDomain::find(const char* text) const {
  // The empty text keys the catalogue's header, which is no message.
  if (text == nullptr || *text == '\0') return nullptr;
  const Message* m = locate(text);
  if (m == nullptr || m->translation_length == 0) return nullptr;
  return bytes_ + m->translation_offset;
}

const nlsLoadedDomain::Message* nlsLoadedDomain::locate(const char* text) const {
  return hash_.empty() ? locate_sorted(text) : locate_hashed(text);
}

const nlsLoadedDomain::Message* nlsLoadedDomain::locate_hashed(const char* text) const {
  std::size_t length;
  const std::uint32_t h = nls_mo::hash_string(text, &length);
  const std::uint32_t size = static_cast<std::uint32_t>(hash_.size());
  const std::uint32_t step = 1 + h % (size - 2);
  std::uint32_t index = h % size;
  // A table without an empty slot is malformed but valid to read: stop
  // after visiting as many slots as it has.
  for (std::uint32_t probes = 0; probes < size; ++probes) {
    const Slot slot = hash_[index];
    if (slot.message == 0) return nullptr;
    // A plural original holds "singular\0plural": its key length is that
    // of the singular, which a NUL ends.
    if (slot.key_length == length && slot.message <= messages_.size()) {
      const Message& m = messages_[slot.message - 1];
      if (std::memcmp(bytes_ + m.original_offset, text, length) == 0) return &m;
    }
    index = index >= size - step ? index - (size - step) : index + step;
  }
  return nullptr;
}

const nlsLoadedDomain::Message* nlsLoadedDomain::locate_sorted(const char* text) const {
  std::size_t low = 0;
  std::size_t high = messages_.size();
  while (low < high) {
    const std::size_t mid = low + (high - low) / 2;
    const Message& m = messages_[mid];
    const int order = std::strcmp(text, bytes_ + m.original_offset);
    if (order == 0) return &m;
    if (order < 0)
      high = mid;
    else
      low = mid + 1;
  }
  return nullptr;
}
