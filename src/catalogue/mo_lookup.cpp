// Finding a message in a catalogue, checking its entry when first reached,
// and whether its translation may be used.
#include <cstring>
#include <new>
#include <string>

#include "catalogue/answer_places.h"
#include "catalogue/catalogue_state.h"
#include "format/format_check.h"
#include "format/text_reads.h"
#include "catalogue/mo_format.h"
#include "catalogue/plural_rule.h"
#include "util/ut_quoted.h"
#include "util/ut_program_text.h"
#include "util/ut_thread_cache.h"

using namespace nls_state;

std::uint64_t nls_mo::process_seed() {
  static const std::uint64_t seed = key_hash("", 0, reinterpret_cast<std::uintptr_t>(&seed));
  return seed;
}

namespace {

// The format a translation stands in for: a context key is
// "context\004text", and the context is no part of the format.
const char* format_of(const char* original) {
  const char* eot = std::strchr(original, '\004');
  return eot != nullptr ? eot + 1 : original;
}

// The original plural of an entry ("singular\0plural"), or its singular
// when it has none.
const char* plural_of(const char* original, std::uint32_t length) {
  const std::size_t singular = std::strlen(original);
  return singular < length ? original + singular + 1 : original;
}

// The bit of form `i` in a group starting at `first`.
constexpr std::uint64_t form_bit(unsigned first, unsigned i) { return std::uint64_t{1} << (first + i); }

// The forms of a plural translation: NUL-separated, up to `end`.
template <typename Each>
void for_each_form(const char* translation, std::uint32_t length, Each each) {
  const char* const end = translation + length;
  const char* p = translation;
  for (unsigned i = 0; i < kMaxForms && p <= end; ++i, p += std::strlen(p) + 1) each(i, p);
}

}  // namespace

const char* nlsCatalogue::string_problem(std::uint32_t m, bool* missing) const {
  const std::uint64_t at = std::uint64_t{m} * 8;
  std::uint32_t length, offset;
  if (!word(originals_ + at, &length) || !word(originals_ + at + 4, &offset)) *missing = true;
  else if (!fits(length, offset, missing)) return "an original past the end or not terminated";
  if (*missing) return nullptr;
  if (!word(translations_ + at, &length) || !word(translations_ + at + 4, &offset)) *missing = true;
  else if (!fits(length, offset, missing)) return "a translation past the end or not terminated";
  return nullptr;
}

bool nlsCatalogue::strings(std::uint32_t m, Strings* out) const {
  std::atomic<std::uint64_t>& state = lazy_->state[m];
  std::uint64_t known = state.load(std::memory_order_acquire);
  if ((known & kChecked) == 0) {
    // First reached: the strings must lie inside the file, and a legacy
    // charset's translation must convert. A malformed entry is passed over
    // from now on, as a file found malformed at open would be. One that
    // cannot be read (the file changed, or no descriptor is left) is
    // decided on nothing: it answers none, this time or for good.
    bool missing = false;
    bool sound = string_problem(m, &missing) == nullptr;
    if (missing) return false;
    if (sound && lazy_->converter != nullptr && static_cast<std::int64_t>(m) != header_entry_) {
      // Sound: its descriptors and strings are in memory.
      const std::uint64_t at_m = std::uint64_t{m} * 8;
      const std::uint32_t tl = read_word(translations_ + at_m);
      sound = lazy_->convert(m, image_->read(read_word(translations_ + at_m + 4)), tl) != nullptr;
    }
    known = state.fetch_or(kChecked | (sound ? kSound : 0), std::memory_order_acq_rel) | kChecked |
            (sound ? kSound : 0);
  }
  if ((known & kSound) == 0) return false;
  // Checked sound: its descriptors and strings are in memory already.
  const std::uint64_t at_m = std::uint64_t{m} * 8;
  out->original_length = read_word(originals_ + at_m);
  out->original = image_->read(read_word(originals_ + at_m + 4));
  out->plural = format_of(plural_of(out->original, out->original_length));
  const Converted* converted =
      lazy_->converted != nullptr ? (*lazy_->converted)[m].load(std::memory_order_acquire) : nullptr;
  if (converted != nullptr) {
    out->translation = converted->text;
    out->translation_length = converted->length;
  } else {
    out->translation_length = read_word(translations_ + at_m);
    out->translation = image_->read(read_word(translations_ + at_m + 4));
  }
  return true;
}

const char* nlsCatalogue::original(std::uint32_t m, bool* missing, std::size_t at_least) const {
  const std::uint64_t at_m = std::uint64_t{m} * 8;
  // An entry checked sound is in memory, whatever became of the file since:
  // the usual case of a message asked again.
  if ((lazy_->state[m].load(std::memory_order_acquire) & kSound) != 0)
    return image_->read(read_word(originals_ + at_m + 4));
  std::uint32_t length, offset;
  if (!word(originals_ + at_m, &length) || !word(originals_ + at_m + 4, &offset)) {
    *missing = true;
    return nullptr;
  }
  if (length < at_least) return nullptr;
  return fits(length, offset, missing) ? image_->read(offset) : nullptr;
}

std::int64_t nlsCatalogue::locate_in_file(const char* key, std::size_t length, bool* missing) const {
  // Whatever cannot be read ends the search: nothing is found through it.
  if (hash_size_ > 2) {
    // The file's own table: double hashing, as the catalogue compiler
    // built it. A slot naming no message of ours is stepped over; a table
    // without an empty slot ends after one round. An entry shorter than
    // the key is passed without reading its text from the file.
    const std::uint32_t h = nls_mo::file_hash(key), size = hash_size_;
    std::uint32_t index = h % size;
    const std::uint32_t step = 1 + h % (size - 2);
    for (std::uint32_t probes = 0; probes < size; ++probes) {
      std::uint32_t slot;
      if (!word(hash_offset_ + std::uint64_t{index} * 4, &slot)) {
        *missing = true;
        return -1;
      }
      if (slot == 0) return -1;
      if (slot <= count_) {
        const char* text = original(slot - 1, missing, length);
        if (*missing) return -1;
        if (text != nullptr && std::strcmp(key, text) == 0) return slot - 1;
      }
      index = index >= size - step ? index - (size - step) : index + step;
    }
    return -1;
  }
  // No table: the originals are sorted by strcmp.
  std::uint32_t low = 0, high = count_;
  while (low < high) {
    const std::uint32_t mid = low + (high - low) / 2;
    const char* text = original(mid, missing);
    if (text == nullptr) return -1;
    const int order = std::strcmp(key, text);
    if (order == 0) return mid;
    if (order < 0) high = mid;
    else low = mid + 1;
  }
  return -1;
}

namespace {

// Lookups through the file's table before our own index is built: enough
// that building it (about one lookup's work per entry) costs a fraction of
// what they cost, and never for a program that asks a handful.
std::uint32_t lookups_before_index(std::uint32_t count) { return count / 8 > 32 ? count / 8 : 32; }

}  // namespace

std::int64_t nlsCatalogue::locate(const char* key, std::size_t length) const {
  if (const Index* index = lazy_->index.load(std::memory_order_acquire)) {
    const std::uint64_t hash = nls_mo::key_hash(key, length, nls_mo::process_seed());
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    for (std::size_t i = hash & index->mask;; i = (i + 1) & index->mask) {
      const Index::Slot slot = index->slots[i];
      if (slot.message == 0) return -1;
      if (slot.tag == tag && holds_key(slot.message - 1, key)) return slot.message - 1;
    }
  }
  bool missing = false;
  const std::int64_t found = locate_in_file(key, length, &missing);
  // Counted only until the index exists (docs/threads.md); the thread that reaches the mark
  // builds it while the others go on through the file's table.
  if (lazy_->lookups.fetch_add(1, std::memory_order_relaxed) + 1 == lookups_before_index(count_)) build_index();
  return found;
}

void nlsCatalogue::build_index() const {
  // A catalogue asked this often is read whole: from now on no lookup
  // waits for the file. One that cannot be read now gets its index later;
  // one changed since it was opened, from what was read before.
  if (!image_->read_all() && !image_->stale()) {
    lazy_->lookups.store(0, std::memory_order_relaxed);
    return;
  }
  std::unique_ptr<Index> index(new (std::nothrow) Index);
  std::size_t size = 2;
  while (size < 2 * std::size_t{count_}) size *= 2;
  if (index != nullptr) index->slots.reset(new (std::nothrow) Index::Slot[size]());
  if (index == nullptr || index->slots == nullptr) return;  // the file's table goes on serving
  index->mask = size - 1;
  for (std::uint32_t m = 0; m < count_; ++m) {
    bool missing = false;
    const char* key = original(m, &missing);
    if (key == nullptr) continue;  // never found, as through the file's table
    const std::uint64_t h = nls_mo::key_hash(key, std::strlen(key), nls_mo::process_seed());
    const auto tag = static_cast<std::uint32_t>(h >> 32);
    for (std::size_t i = h & index->mask;; i = (i + 1) & index->mask) {
      Index::Slot& slot = index->slots[i];
      if (slot.message == 0) {
        slot = {m + 1, tag};
        break;
      }
      // A key given twice keeps its first entry.
      if (slot.tag == tag && holds_key(slot.message - 1, key)) break;
    }
  }
  lazy_->index.store(index.release(), std::memory_order_release);
}

// Verdicts: whether a translation reads the arguments its original reads
// (every form against the original plural, or the singular of an entry that
// has none; a form may leave out trailing arguments: one for a single thing
// often does without the count), and whether the narrow grammar shows it
// where it shows the original. Each is decided on first use and kept in
// the entry's state bits; two threads deciding at once decide alike
// (docs/threads.md).

namespace {

std::uint64_t judge_whole(const nlsCatalogue::Strings& s, nlsFormatFilter narrow, bool narrow_part) {
  const char* original = format_of(s.original);
  if (narrow_part)
    return kNarrowWholeChecked | (narrow(s.translation) || !narrow(original) ? kNarrowWholeOk : 0);
  return kWholeChecked | (nls_format::compatible(original, s.translation) ? kWholeUsable : 0);
}

// The forms' verdicts against `plural`, as bits from `first` on.
std::uint64_t judge_forms(const nlsCatalogue::Strings& s, const char* plural, nlsFormatFilter narrow,
                          unsigned first) {
  std::uint64_t bits = 0;
  if (narrow != nullptr) {
    const bool original_shown = narrow(plural);
    for_each_form(s.translation, s.translation_length, [&](unsigned i, const char* form) {
      if (!original_shown || narrow(form)) bits |= form_bit(first, i);
    });
    return bits;
  }
  const nls_format::ArgumentMap map(plural);
  for_each_form(s.translation, s.translation_length, [&](unsigned i, const char* form) {
    if (nls_format::compatible(map, form, nls_format::Match::kLeading)) bits |= form_bit(first, i);
  });
  return bits;
}

}  // namespace

bool nlsCatalogue::caches(nlsFormatFilter narrow) const {
  nlsFormatFilter first = lazy_->narrow.load(std::memory_order_acquire);
  if (first == nullptr && lazy_->narrow.compare_exchange_strong(first, narrow, std::memory_order_acq_rel)) return true;
  return first == narrow;
}

std::uint64_t nlsCatalogue::decided(std::uint32_t m, const Strings& s, std::uint64_t part,
                                       nlsFormatFilter narrow) const {
  std::atomic<std::uint64_t>& state = lazy_->state[m];
  const std::uint64_t known = state.load(std::memory_order_acquire);
  if ((known & part) != 0) return known;
  std::uint64_t bits;
  if (part == kWholeChecked || part == kNarrowWholeChecked) {
    bits = judge_whole(s, narrow, part == kNarrowWholeChecked);
  } else {
    const char* plural = s.plural;
    bits = part | (part == kFormsChecked ? judge_forms(s, plural, nullptr, kFormBits)
                                         : judge_forms(s, plural, narrow, kNarrowFormBits));
  }
  return state.fetch_or(bits, std::memory_order_acq_rel) | bits;
}

nlsCatalogue::FormVerdicts nlsCatalogue::other_plural(std::uint32_t m, const Strings& s, const char* plural,
                                                            nlsFormatFilter narrow) const {
  // Few entries are stale, and each is called with few plural texts: a
  // bounded table keeps what was decided; past it, it is decided again.
  const std::size_t length = std::strlen(plural);
  const std::size_t home = nls_mo::key_hash(plural, length, m) % Lazy::kOtherPlurals;
  std::size_t free_slot = Lazy::kOtherPlurals;
  for (std::size_t probe = 0; probe < Lazy::kOtherPlurals; ++probe) {
    const std::size_t i = (home + probe) % Lazy::kOtherPlurals;
    const OtherPlural* other = lazy_->others[i].load(std::memory_order_acquire);
    if (other == nullptr) {
      free_slot = i;
      break;
    }
    if (other->message == m && other->plural == plural) {
      if (narrow == nullptr || narrow == other->narrow) return {other->usable, other->narrow_ok};
      return {other->usable, static_cast<std::uint32_t>(judge_forms(s, plural, narrow, 0))};
    }
  }
  const FormVerdicts verdicts{static_cast<std::uint32_t>(judge_forms(s, plural, nullptr, 0)),
                              narrow != nullptr ? static_cast<std::uint32_t>(judge_forms(s, plural, narrow, 0)) : 0};
  if (free_slot < Lazy::kOtherPlurals) {
    auto* other = new (std::nothrow) OtherPlural{m, plural, verdicts.usable, verdicts.narrow_ok, narrow};
    const OtherPlural* expected = nullptr;
    // A slot another thread took first keeps that thread's record (docs/threads.md).
    if (other != nullptr &&
        !lazy_->others[free_slot].compare_exchange_strong(expected, other, std::memory_order_acq_rel))
      delete other;
  }
  return verdicts;
}

const char* nlsCatalogue::answer(std::uint32_t m, const nlsQuery& query) const {
  Strings s;
  return strings(m, &s) ? answer(m, s, query) : nullptr;
}

std::uint32_t nlsCatalogue::form_verdicts(std::uint32_t m, const Strings& s, const nlsQuery& query) const {
  if (query.unchecked) return ~0u;
  std::uint64_t known = lazy_->state[m].load(std::memory_order_acquire);
  if ((known & kFormsChecked) == 0) known = decided(m, s, kFormsChecked, nullptr);
  auto forms = static_cast<std::uint32_t>(known >> kFormBits);
  if (const nlsFormatFilter narrow = query.narrow) {
    if (!caches(narrow)) known = judge_forms(s, s.plural, narrow, kNarrowFormBits);
    else if ((known & kNarrowFormsChecked) == 0) known = decided(m, s, kNarrowFormsChecked, narrow);
    forms &= static_cast<std::uint32_t>(known >> kNarrowFormBits);
  }
  return forms;
}

const char* nlsCatalogue::answer(std::uint32_t m, const Strings& s, const nlsQuery& query) const {
  if (s.translation_length == 0) return nullptr;
  const nlsFormatFilter narrow = query.narrow;
  const bool cached_narrow = narrow != nullptr && caches(narrow);
  if (!query.plural) {
    if (query.unchecked) return s.translation;
    std::uint64_t known = lazy_->state[m].load(std::memory_order_acquire);
    if ((known & kWholeChecked) == 0) known = decided(m, s, kWholeChecked, nullptr);
    if ((known & kWholeUsable) == 0) return nullptr;
    if (narrow != nullptr) {
      if (!cached_narrow) known = judge_whole(s, narrow, true);
      else if ((known & kNarrowWholeChecked) == 0) known = decided(m, s, kNarrowWholeChecked, narrow);
      if ((known & kNarrowWholeOk) == 0) return nullptr;
    }
    return s.translation;
  }
  // Forms are NUL-separated; an index past the last gives the first, as
  // the C library's lookup does.
  const char* const first = s.translation;
  const char* const end = first + s.translation_length;
  const unsigned long index = plural_rule_->form(query.n);
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
  if (*form == '\0' || number >= kMaxForms) return nullptr;
  if (query.unchecked) return form;
  // The form stands in for the caller's plural: the verdicts kept with the
  // entry hold when it is the entry's own, as it is unless the catalogue
  // is older than the program.
  if (query.plural_text == nullptr || std::strcmp(query.plural_text, s.plural) == 0)
    return (form_verdicts(m, s, query) >> number & 1u) != 0 ? form : nullptr;
  const FormVerdicts other = other_plural(m, s, query.plural_text, cached_narrow ? narrow : nullptr);
  if ((other.usable & (1u << number)) == 0) return nullptr;
  if (narrow != nullptr) {
    const std::uint32_t shown =
        cached_narrow ? other.narrow_ok : static_cast<std::uint32_t>(judge_forms(s, query.plural_text, narrow, 0));
    if ((shown & (1u << number)) == 0) return nullptr;
  }
  return form;
}

const char* nlsCatalogue::find_in(const nlsQuery& query) const {
  // The empty text keys the catalogue's header, which is no message.
  if (*query.key == '\0') return nullptr;
  const std::int64_t m = locate(query.key, std::strlen(query.key));
  return m >= 0 ? answer(static_cast<std::uint32_t>(m), query) : nullptr;
}

nlsAudit nlsCatalogue::audit_all(nlsFormatFilter narrow) const {
  nlsAudit audit;
  const bool cached_narrow = narrow != nullptr && caches(narrow);
  auto note = [](std::size_t* count, std::string* first, const std::string& what) {
    if ((*count)++ == 0) *first = what;
  };
  for (std::uint32_t m = 0; m < count_; ++m) {
    if (static_cast<std::int64_t>(m) == header_entry_) continue;
    Strings s;
    if (!strings(m, &s)) {
      bool missing = false;
      const char* problem = string_problem(m, &missing);
      if (missing) {
        ++audit.unread;
        continue;
      }
      note(&audit.malformed, &audit.first_malformed,
           problem != nullptr ? problem : "a translation is not " + converted_from_ + " text");
      continue;
    }
    if (s.original_length == 0 || s.translation_length == 0) continue;
    // A plural entry is asked for its forms, each checked against the
    // original plural; any other entry for its translation.
    const char* original = s.plural;
    if (std::strlen(s.original) == s.original_length) {
      if ((decided(m, s, kWholeChecked, nullptr) & kWholeUsable) == 0)
        note(&audit.refused, &audit.first_refused, ut_quoted(s.translation) + " for " + ut_quoted(original));
      else if (narrow != nullptr &&
               ((cached_narrow ? decided(m, s, kNarrowWholeChecked, narrow) : judge_whole(s, narrow, true)) &
                kNarrowWholeOk) == 0)
        note(&audit.narrow, &audit.first_narrow, ut_quoted(s.translation) + " for " + ut_quoted(original));
      continue;
    }
    const std::uint64_t usable = decided(m, s, kFormsChecked, nullptr);
    const std::uint64_t shown = narrow == nullptr ? ~std::uint64_t{0}
                                : cached_narrow   ? decided(m, s, kNarrowFormsChecked, narrow)
                                                  : judge_forms(s, original, narrow, kNarrowFormBits);
    const char* refused = nullptr;
    const char* unshown = nullptr;
    for_each_form(s.translation, s.translation_length, [&](unsigned i, const char* form) {
      if ((usable & form_bit(kFormBits, i)) == 0) {
        if (refused == nullptr) refused = form;
      } else if ((shown & form_bit(kNarrowFormBits, i)) == 0 && unshown == nullptr) {
        unshown = form;
      }
    });
    if (refused != nullptr) note(&audit.refused, &audit.first_refused, ut_quoted(refused) + " for " + ut_quoted(original));
    else if (unshown != nullptr) note(&audit.narrow, &audit.first_narrow, ut_quoted(unshown) + " for " + ut_quoted(original));
  }
  // The file's table is checked here rather than when opening: lookups
  // step over a slot that names no message.
  for (std::uint32_t i = 0; i < hash_size_ && audit.table_problem.empty(); ++i) {
    std::uint32_t slot;
    if (word(hash_offset_ + std::uint64_t{i} * 4, &slot) && slot > count_ &&
        read_word(nls_mo::kWordRevision * 4) >> 16 == 0)
      audit.table_problem = "hash table names a message past the last";
  }
  return audit;
}

const char* nlsLoadedDomain::find(const nlsQuery& query) const { return nlsCatalogue::of(*this).find_in(query); }

nlsAudit nlsLoadedDomain::audit(nlsFormatFilter narrow) const { return nlsCatalogue::of(*this).audit_all(narrow); }

// A database's lookups, beside the catalogue's so that they are compiled
// together: every message passes here.

namespace {

std::atomic<std::uint64_t> g_next_owner{1};

nls_places::Question question_of(std::uint64_t id, const nlsQuery& query) {
  return {id,           nullptr,     query.key, nullptr, query.plural ? query.plural_text : nullptr,
          query.narrow, static_cast<std::uint8_t>((query.plural ? nls_places::kPlural : 0) |
                                                  (query.unchecked ? nls_places::kUnchecked : 0))};
}

// Whether every pointer of `q` is the program's own text.
bool fixed(const nls_places::Question& q) {
  const utProgramText& program = ut_program_text();
  return (q.name == nullptr || program.holds(q.name)) && program.holds(q.text) &&
         (q.context == nullptr || program.holds(q.context)) && (q.plural == nullptr || program.holds(q.plural));
}

// The front place of `set`, made room for, keyed as `q` in `database`: its
// answer still to be written.
nls_places::Place& put(nls_places::Place* set, const nls_places::Question& q, const nlsDataBase* database,
                       std::uint64_t database_id) {
  std::memmove(static_cast<void*>(set + 1), set, sizeof(nls_places::Place) * (nls_places::kWays - 1));
  nls_places::Place& p = set[0];
  p.answer = nullptr;
  p.catalogue = nullptr;
  p.original = nullptr;
  p.entry_plural = nullptr;
  p.database_name = nullptr;
  p.message = 0;
  p.forms = 0;
  p.fixed = false;
  p.plain = false;
  p.owner = q.owner;
  p.text = q.text;
  p.name = q.name;
  p.context = q.context;
  p.plural = q.plural;
  p.narrow = q.narrow;
  p.kind = q.kind;
  p.database = database;
  p.database_id = database_id;
  return p;
}

}  // namespace

namespace nls_places {

std::uint64_t new_owner() { return g_next_owner.fetch_add(1, std::memory_order_relaxed); }

void remember(Place* set, const Question& q, const Found& found, const char* answer, const nlsDataBase* database,
              std::uint64_t database_id, const char* database_name) {
  const nlsCatalogue::Strings& s = found.strings;
  if (q.plural != nullptr && std::strcmp(q.plural, s.plural) != 0) return;
  Place& p = put(set, q, database, database_id);
  p.answer = (q.kind & kPlural) != 0 ? s.translation : answer;
  p.plain = (q.kind & kPlural) == 0 && answer != nullptr && !keznls_engine::has_percent(answer);
  p.catalogue = found.catalogue;
  p.message = found.message;
  p.original = s.original;
  p.entry_plural = s.plural;
  p.database_name = database_name;
  p.fixed = fixed(q);
}

void read_forms(Place& p) {
  p.forms = kManyForms;
  nlsCatalogue::Strings s;
  // Checked sound when it was remembered: its strings stay in memory.
  if (!p.catalogue->strings(p.message, &s) || s.translation != p.answer || s.translation_length > 0xffff) return;
  std::uint32_t shown = 0;  // an empty form answers nothing
  unsigned forms = 0;
  for_each_form(s.translation, s.translation_length, [&](unsigned i, const char* form) {
    if (i > 0 && i <= 5) p.form_at[i - 1] = static_cast<std::uint16_t>(form - s.translation);
    if (*form != '\0') shown |= 1u << i;
    forms = i + 1;
  });
  if (forms > 6) return;
  nlsQuery query(s.original);
  query.plural = true;
  query.narrow = p.narrow;
  query.unchecked = (p.kind & kUnchecked) != 0;
  p.forms_ok = static_cast<std::uint16_t>(shown & p.catalogue->form_verdicts(p.message, s, query));
  p.forms = static_cast<std::uint8_t>(forms);
}

const char* answer_again(const Place& p, unsigned long n) {
  nlsCatalogue::Strings s;
  if (!p.catalogue->strings(p.message, &s)) return nullptr;
  nlsQuery query(s.original);
  query.plural = true;
  query.n = n;
  query.plural_text = p.plural;  // the pointer the caller passes now: `p` was found by it
  query.narrow = p.narrow;
  query.unchecked = (p.kind & kUnchecked) != 0;
  return p.catalogue->answer(p.message, s, query);
}

void remember_none(Place* set, const Question& q, const nlsDataBase* database, std::uint64_t database_id,
                   const char* name) {
  Place& p = put(set, q, database, database_id);
  p.database_name = name;
  // The caller's own text answers, whatever it says: only the name counts.
  p.fixed = q.name == nullptr || ut_is_program_text(q.name);
}

}  // namespace nls_places

const char* nlsDataBaseLookup::search(const nlsDataBase& db, const nlsQuery& query, nls_places::Found* found) {
  const std::size_t length = std::strlen(query.key);
  // Where an earlier catalogue holds the entry but gave no answer (a
  // plural form refused for this count, say), it may answer another call:
  // only the first catalogue holding the entry is told.
  bool passed_over = false;
  for (std::size_t i = 0;; ++i) {
    // Catalogues further down the list are loaded the first time a
    // message gets this far.
    if (i >= db.next_.load(std::memory_order_acquire) && !db.load_next(i)) return nullptr;
    const nlsCatalogue* d = nlsCatalogue::of(db.loaded_[i].load(std::memory_order_acquire));
    if (d == nullptr) continue;
    const std::int64_t m = d->locate(query.key, length);
    if (m < 0) continue;
    const auto message = static_cast<std::uint32_t>(m);
    nlsCatalogue::Strings strings;
    const char* answer = d->strings(message, &strings) ? d->answer(message, strings, query) : nullptr;
    if (answer == nullptr) {
      passed_over = true;
      continue;
    }
    if (!passed_over) *found = nls_places::Found{d, message, strings};
    return answer;
  }
}

// A database's own lookups keep their places under its id, renewed when a
// catalogue joins late (docs/threads.md).
const char* nlsDataBase::find(const nlsQuery& query) const {
  // The empty text keys a catalogue's header, which is no message.
  if (*query.key == '\0') return nullptr;
  const std::uint64_t id = nlsDataBaseLookup::current(*this);
  const nls_places::Question q = question_of(id, query);
  // The places are asked for (and made) once a lookup, when it remembers.
  if (nls_places::Places* mine = utThreadCache<nls_places::Places>::peek())
    if (nls_places::Place* p = nls_places::match(nls_places::set_of(*mine, q), q))
      if (const char* found = nls_places::answer_for(*p, query.n)) return found;
  return search(query, id);
}

const char* nlsDataBase::search(const nlsQuery& query, std::uint64_t id) const {
  nls_places::Found found;
  const char* answer = nlsDataBaseLookup::search(*this, query, &found);
  if (found.catalogue != nullptr && nlsDataBaseLookup::quiet(*this))
    if (nls_places::Places* mine = utThreadCache<nls_places::Places>::get()) {
      const nls_places::Question q = question_of(id, query);
      nls_places::remember(nls_places::set_of(*mine, q), q, found, answer, this, id, nullptr);
    }
  return answer;
}
