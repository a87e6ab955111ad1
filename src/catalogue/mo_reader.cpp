// Opening a .mo image: only what every lookup depends on is read and
// checked (the header words, the tables' places, the header entry), so the
// cost does not grow with the file.
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "catalogue/catalogue_state.h"
#include "catalogue/mo_format.h"
#include "catalogue/plural_rule.h"

nlsLoadedDomain::Lazy::Lazy(std::uint32_t entries) : state(entries) {}

nlsLoadedDomain::Lazy::~Lazy() {
  if (converted != nullptr)
    converted->each_set([](std::atomic<nls_state::Converted*>& c) { std::free(c.load(std::memory_order_relaxed)); });
  delete index.load(std::memory_order_relaxed);
  for (auto& other : others) delete other.load(std::memory_order_relaxed);
}

nlsLoadedDomain::nlsLoadedDomain() = default;

nlsLoadedDomain::~nlsLoadedDomain() = default;

nlsLoadedDomain* nlsLoadedDomain::from_bytes(const void* bytes, std::size_t size, std::string* problem) {
  std::string ignored;
  if (problem == nullptr) problem = &ignored;
  if (bytes == nullptr || size == 0) {
    *problem = "malformed: empty file";
    return nullptr;
  }
  std::unique_ptr<nlsFileImage> image = nlsFileImage::copy(bytes, size, problem);
  return image == nullptr ? nullptr : adopt(std::move(image), problem);
}

nlsLoadedDomain* nlsLoadedDomain::from_file(const char* path, std::string* problem) {
  std::string ignored;
  if (problem == nullptr) problem = &ignored;
  std::unique_ptr<nlsFileImage> image = nlsFileImage::open(path, problem);
  return image == nullptr ? nullptr : adopt(std::move(image), problem);
}

nlsLoadedDomain* nlsLoadedDomain::adopt(std::unique_ptr<nlsFileImage> image, std::string* problem) {
  std::unique_ptr<nlsLoadedDomain> domain(new (std::nothrow) nlsLoadedDomain);
  if (domain == nullptr) {
    *problem = "unreadable: too large for memory";
    return nullptr;
  }
  domain->size_ = image->size();
  domain->image_ = std::move(image);
  try {
    if (const char* malformed = domain->check_header()) {
      *problem = std::string("malformed: ") + malformed;
      return nullptr;
    }
    if (!domain->prepare_charset(problem)) return nullptr;
    domain->read_plural_rule();
  } catch (const std::bad_alloc&) {
    // A file too big for memory is treated like any other we cannot use.
    *problem = "unreadable: too large for memory";
    return nullptr;
  }
  return domain.release();
}

const char* nlsLoadedDomain::check_header() {
  using namespace nls_mo;
  const std::uint64_t size = size_;
  if (size < kHeaderWords * 4) return "shorter than the file header";

  std::uint32_t magic;
  std::memcpy(&magic, at(0, sizeof magic), sizeof magic);
  if (magic != kMagic && magic != kMagicSwapped) return "not a compiled catalogue (bad magic number)";
  swapped_ = magic == kMagicSwapped;

  if (word(kWordRevision * 4) >> 16 > kMaxMajorRevision) return "unknown major revision";
  const std::uint64_t count = word(kWordCount * 4);
  originals_ = word(kWordOriginals * 4);
  translations_ = word(kWordTranslations * 4);
  const std::uint64_t hash_size = word(kWordHashSize * 4);
  hash_offset_ = word(kWordHashOffset * 4);

  // Both descriptor tables and the hash table must lie inside the file
  // before any entry is looked at through them.
  if (originals_ + count * 8 > size) return "originals table past the end";
  if (translations_ + count * 8 > size) return "translations table past the end";
  if (hash_size != 0 && hash_offset_ + hash_size * 4 > size) return "hash table past the end";
  count_ = static_cast<std::uint32_t>(count);
  hash_size_ = static_cast<std::uint32_t>(hash_size);
  lazy_ = std::make_unique<Lazy>(count_);

  // Every lookup reads the header entry's charset and plural rule: it
  // must be sound now, not when first reached.
  header_entry_ = locate_in_file("");
  Strings header;
  if (header_entry_ >= 0 && !strings(static_cast<std::uint32_t>(header_entry_), &header))
    return "the header entry past the end or not terminated";
  return nullptr;
}

void nlsLoadedDomain::read_plural_rule() {
  Strings header;
  const char* text = header_entry_ >= 0 && strings(static_cast<std::uint32_t>(header_entry_), &header)
                         ? header.translation
                         : nullptr;
  plural_rule_ = std::make_unique<const nlsPluralRule>(nlsPluralRule::from_header(text));
}

std::string nlsLoadedDomain::plural_rule_problem() const {
  switch (plural_rule_->status()) {
    case nlsPluralStatus::taken:
    case nlsPluralStatus::no_header:
    case nlsPluralStatus::no_nplurals:
      return std::string();  // no rule given: the usual two forms are meant
    default:
      return std::string(plural_rule_->reason()) + " at " + std::to_string(plural_rule_->position());
  }
}

std::size_t nlsLoadedDomain::size() const { return count_ - (header_entry_ >= 0 ? 1 : 0); }
