// Finding a message in a validated catalogue or in a database's catalogues,
// and whether its translation may be used.
#include <cstring>
#include <string>

#include "format_check.h"
#include "plural_rule.h"
#include "mo_format.h"
#include "keznls/nls/nls.h"

std::uint64_t nls_mo::process_seed() {
  static const std::uint64_t seed = key_hash("", 0, reinterpret_cast<std::uintptr_t>(&seed));
  return seed;
}

nlsKey::nlsKey(const char* text)
    : text(text), length(std::strlen(text)), hash(nls_mo::key_hash(text, length, nls_mo::process_seed())) {}

const char* nlsLoadedDomain::find(const nlsKey& key) const {
  // The empty text keys the catalogue's header, which is no message.
  if (key.length == 0) return nullptr;
  const Message* m = locate(key);
  return m != nullptr ? translation_of(*m) : nullptr;
}

const char* nlsLoadedDomain::find_plural(const nlsKey& key, unsigned long n) const {
  if (key.length == 0) return nullptr;
  const Message* m = locate(key);
  return m != nullptr ? form_of(*m, n) : nullptr;
}

const char* nlsLoadedDomain::translation_of(const Message& m) const {
  if (m.translation_length == 0 || !usable(m)) return nullptr;
  return bytes_ + m.translation_offset;
}

namespace {

// The format a translation stands in for: a context key is
// "context\004text", and the context is no part of the format.
const char* format_of(const char* original) {
  const char* eot = std::strchr(original, '\004');
  return eot != nullptr ? eot + 1 : original;
}

// `text` in double quotes on one line: line ends, tabs, quotes and
// backslashes escaped.
std::string quoted(const char* text) {
  std::string out = "\"";
  for (; *text != '\0'; ++text) {
    switch (*text) {
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      default: out += *text;
    }
  }
  return out + "\"";
}

}  // namespace

namespace {

// Bits of a message's verdict.
constexpr std::uint16_t kWholeChecked = 1, kWholeUsable = 2, kFormsChecked = 4;
constexpr unsigned kFormBits = 3;   // form i usable: bit kFormBits + i
constexpr unsigned kMaxForms = 13;  // forms past these are never used

}  // namespace

std::uint16_t nlsLoadedDomain::judge(const Message& m, std::uint16_t part) const {
  std::uint16_t& decided = verdicts_[static_cast<std::size_t>(&m - messages_.data())];
  const char* const translation = bytes_ + m.translation_offset;
  if (part == kWholeChecked) {
    if (nls_format::compatible(format_of(bytes_ + m.original_offset), translation)) decided |= kWholeUsable;
    return decided |= kWholeChecked;
  }
  // Every form against the original plural ("singular\0plural"), or the
  // singular of an entry that has none. A form may leave out trailing
  // arguments: one for a single thing often does without the count.
  const char* singular = bytes_ + m.original_offset;
  const std::size_t singular_length = std::strlen(singular);
  const char* original = singular_length < m.original_length ? singular + singular_length + 1 : singular;
  const nls_format::ArgumentMap plural(format_of(original));
  const char* p = translation;
  const char* const end = p + m.translation_length;
  for (unsigned i = 0; i < kMaxForms && p <= end; ++i, p += std::strlen(p) + 1)
    if (nls_format::compatible(plural, p, nls_format::Match::kLeading))
      decided |= static_cast<std::uint16_t>(1u << (kFormBits + i));
  return decided |= kFormsChecked;
}

// The verdict is mostly known already.
std::uint16_t nlsLoadedDomain::verdict(const Message& m, std::uint16_t part) const {
  const std::uint16_t known = verdicts_[static_cast<std::size_t>(&m - messages_.data())];
  return (known & part) != 0 ? known : judge(m, part);
}

bool nlsLoadedDomain::usable(const Message& m) const { return (verdict(m, kWholeChecked) & kWholeUsable) != 0; }

bool nlsLoadedDomain::usable_form(const Message& m, unsigned form) const {
  return form < kMaxForms && (verdict(m, kFormsChecked) & (1u << (kFormBits + form))) != 0;
}

const char* nlsLoadedDomain::form_of(const Message& m, unsigned long n) const {
  if (m.translation_length == 0) return nullptr;
  // Forms are NUL-separated; an index past the last gives the first, as
  // the C library's lookup does.
  const char* const first = bytes_ + m.translation_offset;
  const char* const end = first + m.translation_length;
  const unsigned long index = plural_rule_->form(n);
  const char* form = first;
  unsigned number = 0;
  for (unsigned long i = 0; i < index; ++i) {
    form += std::strlen(form) + 1;
    ++number;
    if (form > end) {
      form = first;
      number = 0;
      break;
    }
  }
  if (*form == '\0' || !usable_form(m, number)) return nullptr;
  return form;
}

std::size_t nlsLoadedDomain::refused(std::string* first) const {
  std::size_t count = 0;
  for (const Message& m : messages_) {
    if (m.original_length == 0 || m.translation_length == 0) continue;
    // A plural entry is asked for its forms, each checked against the
    // original plural; any other entry for its translation.
    const char* original = bytes_ + m.original_offset;
    const bool plural = m.key_length < m.original_length;
    const char* refused_text = nullptr;
    if (!plural) {
      if (!usable(m)) refused_text = bytes_ + m.translation_offset;
    } else {
      const char* form = bytes_ + m.translation_offset;
      for (unsigned i = 0; form <= bytes_ + m.translation_offset + m.translation_length && refused_text == nullptr;
           ++i, form += std::strlen(form) + 1)
        if (!usable_form(m, i)) refused_text = form;
      original += m.key_length + 1;
    }
    if (refused_text != nullptr && count++ == 0 && first != nullptr)
      *first = quoted(refused_text) + " for " + quoted(format_of(original));
  }
  return count;
}

std::size_t nlsLoadedDomain::slot_of(const char* key, std::size_t length, std::uint64_t hash) const {
  const auto tag = static_cast<std::uint32_t>(hash >> 32);
  // At most half full: an empty slot ends every probe.
  for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
    const Slot slot = index_[i];
    if (slot.message == 0) return i;
    if (slot.tag == tag) {
      const Message& m = messages_[slot.message - 1];
      if (m.key_length == length && std::memcmp(bytes_ + m.original_offset, key, length) == 0) return i;
    }
  }
}

const nlsLoadedDomain::Message* nlsLoadedDomain::locate(const nlsKey& key) const {
  if (index_.empty()) return nullptr;
  const Slot slot = index_[slot_of(key.text, key.length, key.hash)];
  return slot.message != 0 ? &messages_[slot.message - 1] : nullptr;
}

// A database's lookups: the place the text was found last time, then its
// catalogues in order.

nlsDataBase::Recent& nlsDataBase::recent(const char* key) const {
  const std::uint64_t h = reinterpret_cast<std::uintptr_t>(key) * 0x9e3779b97f4a7c15u;
  return recent_[h >> 60];
}

template <typename Answer>
const char* nlsDataBase::first_found(const char* text, Answer answer) const {
  // The empty text keys a catalogue's header, which is no message.
  if (*text == '\0') return nullptr;
  const Recent& last = recent(text);
  if (last.text == text && last.domain->holds_key(*last.message, text))
    if (const char* found = answer(*last.domain, *last.message)) return found;
  return search(text, answer);
}

template <typename Answer>
__attribute__((noinline)) const char* nlsDataBase::search(const char* text, Answer answer) const {
  const nlsKey key(text);
  // Where an earlier catalogue holds the entry but gave no answer (a
  // plural form refused for this count, say), it may answer another call:
  // only the first catalogue holding the entry is remembered.
  bool passed_over = false;
  const auto in = [&](const nlsLoadedDomain& d) -> const char* {
    const Message* m = d.locate(key);
    if (m == nullptr) return nullptr;
    const char* found = answer(d, *m);
    if (found == nullptr) passed_over = true;
    else if (!passed_over) recent(text) = Recent{text, &d, m};
    return found;
  };
  for (const auto& d : loaded_)
    if (const char* found = in(*d)) return found;
  // Catalogues further down the list are loaded the first time a message
  // gets this far.
  while (next_ < candidates_.size())
    if (const nlsLoadedDomain* d = open_next())
      if (const char* found = in(*d)) return found;
  return nullptr;
}

const char* nlsDataBase::find(const char* key) const {
  return first_found(key, [](const nlsLoadedDomain& d, const Message& m) { return d.translation_of(m); });
}

const char* nlsDataBase::find_plural(const char* key, unsigned long n) const {
  return first_found(key, [n](const nlsLoadedDomain& d, const Message& m) { return d.form_of(m, n); });
}
