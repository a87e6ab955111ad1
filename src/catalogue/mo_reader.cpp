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
#include "util/ut_program_text.h"

namespace {

// What opening could not read: the file changed meanwhile, or the process
// ran out of descriptors.
constexpr char kUnread[] = "the file changed or could not be read while it was opened";

}  // namespace

nlsCatalogue::Lazy::Lazy(std::uint32_t entries) : state(entries) {}

nlsCatalogue::Lazy::~Lazy() {
  if (converted != nullptr)
    converted->each_set([](std::atomic<nls_state::Converted*>& c) { std::free(c.load(std::memory_order_relaxed)); });
  delete index.load(std::memory_order_relaxed);
  for (auto& other : others) delete other.load(std::memory_order_relaxed);
}

nlsCatalogue::nlsCatalogue() = default;

// Counted before the members free the texts it lent: a plan or place kept
// by their address is then checked against the text again.
nlsCatalogue::~nlsCatalogue() { ut_lent_texts_freed.fetch_add(1, std::memory_order_relaxed); }

std::shared_ptr<const nlsLoadedDomain> nlsLoadedDomain::from_bytes(const void* bytes, std::size_t size,
                                                                  std::string* problem) {
  nlsOpenProblem failure;
  std::unique_ptr<nlsCatalogue> catalogue;
  if (bytes == nullptr || size == 0) failure.problem = "malformed: empty file";
  else if (std::unique_ptr<nlsFileImage> image = nlsFileImage::copy(bytes, size, &failure))
    catalogue = nlsCatalogue::adopt(std::move(image), &failure);
  if (catalogue == nullptr && problem != nullptr) *problem = failure.problem;
  return catalogue;
}

std::shared_ptr<const nlsLoadedDomain> nlsLoadedDomain::from_file(const char* path, std::string* problem) {
  nlsOpenProblem failure;
  nlsOpenedFile opened(path, &failure);
  std::unique_ptr<nlsCatalogue> catalogue = opened.ok() ? nlsCatalogue::load(opened, path, &failure) : nullptr;
  if (catalogue == nullptr && problem != nullptr) *problem = failure.problem;
  return catalogue;
}

std::unique_ptr<nlsCatalogue> nlsCatalogue::load(nlsOpenedFile& opened, const char* path, nlsOpenProblem* failure) {
  std::unique_ptr<nlsFileImage> image = nlsFileImage::load(opened, path, failure);
  return image != nullptr ? adopt(std::move(image), failure) : nullptr;
}

std::unique_ptr<nlsCatalogue> nlsCatalogue::adopt(std::unique_ptr<nlsFileImage> image, nlsOpenProblem* failure) {
  std::unique_ptr<nlsCatalogue> catalogue(new (std::nothrow) nlsCatalogue);
  if (catalogue == nullptr) {
    failure->problem = "unreadable now: out of memory";
    failure->again = true;
    return nullptr;
  }
  catalogue->size_ = image->size();
  catalogue->image_ = std::move(image);
  try {
    if (const char* malformed = catalogue->check_header()) {
      // What could not be read (the file changed or descriptors ran out
      // while opening) is no fault of the file's: tried again later.
      if (std::strcmp(malformed, kUnread) == 0) {
        failure->problem = std::string("unreadable now: ") + malformed;
        failure->again = true;
      } else {
        failure->problem = std::string("malformed: ") + malformed;
      }
      return nullptr;
    }
    if (!catalogue->prepare_charset(failure)) return nullptr;
    catalogue->read_plural_rule();
  } catch (const std::bad_alloc&) {
    failure->problem = "unreadable now: out of memory";
    failure->again = true;
    return nullptr;
  }
  return catalogue;
}

const char* nlsCatalogue::check_header() {
  using namespace nls_mo;
  const std::uint64_t size = size_;
  if (size < kHeaderWords * 4) return "shorter than the file header";

  // The header words lie in the first piece, read when the file was opened.
  std::uint32_t magic;
  std::memcpy(&magic, image_->read(0), sizeof magic);
  if (magic != kMagic && magic != kMagicSwapped) return "not a compiled catalogue (bad magic number)";
  swapped_ = magic == kMagicSwapped;

  if (read_word(kWordRevision * 4) >> 16 > kMaxMajorRevision) return "unknown major revision";
  const std::uint64_t count = read_word(kWordCount * 4);
  originals_ = read_word(kWordOriginals * 4);
  translations_ = read_word(kWordTranslations * 4);
  const std::uint64_t hash_size = read_word(kWordHashSize * 4);
  hash_offset_ = read_word(kWordHashOffset * 4);

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
  bool missing = false;
  header_entry_ = locate_in_file("", 0, &missing);
  if (missing) return kUnread;
  Strings header;
  if (header_entry_ >= 0 && !strings(static_cast<std::uint32_t>(header_entry_), &header)) {
    string_problem(static_cast<std::uint32_t>(header_entry_), &missing);
    return missing ? kUnread : "the header entry past the end or not terminated";
  }
  return nullptr;
}

void nlsCatalogue::read_plural_rule() {
  Strings header;
  const char* text = header_entry_ >= 0 && strings(static_cast<std::uint32_t>(header_entry_), &header)
                         ? header.translation
                         : nullptr;
  plural_rule_ = std::make_unique<const nlsPluralRule>(nlsPluralRule::from_header(text));
}

std::string nlsLoadedDomain::plural_rule_problem() const {
  const nlsPluralRule& rule = *nlsCatalogue::of(*this).plural_rule_;
  switch (rule.status()) {
    case nlsPluralStatus::taken:
    case nlsPluralStatus::no_header:
    case nlsPluralStatus::no_nplurals:
      return std::string();  // no rule given: the usual two forms are meant
    default:
      return std::string(rule.reason()) + " at " + std::to_string(rule.position());
  }
}

std::size_t nlsLoadedDomain::size() const {
  const nlsCatalogue& c = nlsCatalogue::of(*this);
  return c.count_ - (c.header_entry_ >= 0 ? 1 : 0);
}

const std::string& nlsLoadedDomain::converted_from() const { return nlsCatalogue::of(*this).converted_from_; }
