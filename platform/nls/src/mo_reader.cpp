// Loading and validating a .mo image: nothing in the file is used before
// every offset, length and terminator it holds has been checked.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "mo_format.h"
#include "plural_rule.h"
#include "keznls/nls/nls.h"

namespace {

std::uint32_t load_word(const char* bytes, std::uint64_t offset, bool swapped) {
  std::uint32_t w;
  std::memcpy(&w, bytes + offset, sizeof w);
  return swapped ? __builtin_bswap32(w) : w;
}

// Reads the whole file with read(2): a copy cannot change under us the way
// a mapping of a file truncated by someone else would. Null with the reason
// in `problem` when the file cannot be read whole.
char* read_file(const char* path, std::size_t* size, std::string* problem) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *problem = errno == ENOENT ? "missing" : std::string("unreadable: ") + std::strerror(errno);
    return nullptr;
  }
  struct stat st;
  char* bytes = nullptr;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    *problem = "not a regular file";
  } else if (st.st_size == 0) {
    *problem = "malformed: empty file";
  } else {
    const std::size_t want = static_cast<std::size_t>(st.st_size);
    bytes = new (std::nothrow) char[want];
    std::size_t got = 0;
    errno = 0;
    while (bytes != nullptr && got < want) {
      const ssize_t n = ::read(fd, bytes + got, want - got);
      if (n > 0) {
        got += static_cast<std::size_t>(n);
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else {
        break;  // error, or the file shrank since fstat
      }
    }
    if (bytes == nullptr) {
      *problem = "unreadable: too large for memory";
    } else if (got != want) {
      *problem = std::string("unreadable: ") + (errno != 0 ? std::strerror(errno) : "the file changed while read");
      delete[] bytes;
      bytes = nullptr;
    }
    *size = want;
  }
  ::close(fd);
  return bytes;
}

}  // namespace

nlsLoadedDomain* nlsLoadedDomain::from_bytes(const void* bytes, std::size_t size, std::string* problem) {
  std::string ignored;
  if (problem == nullptr) problem = &ignored;
  if (bytes == nullptr || size == 0) {
    *problem = "malformed: empty file";
    return nullptr;
  }
  char* copy = new (std::nothrow) char[size];
  if (copy == nullptr) {
    *problem = "unreadable: too large for memory";
    return nullptr;
  }
  std::memcpy(copy, bytes, size);
  return adopt(copy, size, problem);
}

nlsLoadedDomain* nlsLoadedDomain::from_file(const char* path, std::string* problem) {
  std::string ignored;
  if (problem == nullptr) problem = &ignored;
  std::size_t size = 0;
  char* bytes = read_file(path, &size, problem);
  return bytes == nullptr ? nullptr : adopt(bytes, size, problem);
}

nlsLoadedDomain* nlsLoadedDomain::adopt(char* bytes, std::size_t size, std::string* problem) {
  nlsLoadedDomain* domain = new (std::nothrow) nlsLoadedDomain;
  if (domain == nullptr) {
    delete[] bytes;
    *problem = "unreadable: too large for memory";
    return nullptr;
  }
  domain->bytes_ = bytes;
  domain->size_ = size;
  bool usable = false;
  try {
    if (const char* malformed = domain->validate()) {
      *problem = std::string("malformed: ") + malformed;
    } else if (domain->convert_to_utf8(problem)) {
      domain->read_plural_rule();
      usable = true;
    }
  } catch (const std::bad_alloc&) {
    // The tables are bounded by the file size; a file too big for memory
    // is treated like any other we cannot use.
    *problem = "unreadable: too large for memory";
  }
  if (!usable) {
    delete domain;
    return nullptr;
  }
  return domain;
}

void nlsLoadedDomain::build_index() {
  std::size_t size = 2;
  while (size < 2 * messages_.size()) size *= 2;
  index_.assign(size, Slot{0, 0});
  mask_ = size - 1;
  for (std::uint32_t i = 0; i < messages_.size(); ++i) {
    const Message& m = messages_[i];
    const char* key = bytes_ + m.original_offset;
    const std::uint64_t h = nls_mo::key_hash(key, m.key_length, nls_mo::process_seed());
    // A key given twice keeps its first message.
    Slot& slot = index_[slot_of(key, m.key_length, h)];
    if (slot.message == 0) slot = {i + 1, static_cast<std::uint32_t>(h >> 32)};
  }
}

void nlsLoadedDomain::read_plural_rule() {
  const Message* entry = header();
  const char* text = entry != nullptr ? bytes_ + entry->translation_offset : nullptr;
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

std::size_t nlsLoadedDomain::size() const {
  // The header has the empty original, which sorts first.
  const bool header = !messages_.empty() && messages_.front().original_length == 0;
  return messages_.size() - (header ? 1 : 0);
}

nlsLoadedDomain::~nlsLoadedDomain() { delete[] bytes_; }

const char* nlsLoadedDomain::validate() {
  using namespace nls_mo;
  const std::uint64_t size = size_;
  if (size < kHeaderWords * 4) return "shorter than the file header";

  std::uint32_t magic;
  std::memcpy(&magic, bytes_, sizeof magic);
  if (magic != kMagic && magic != kMagicSwapped) return "not a compiled catalogue (bad magic number)";
  const bool swapped = magic == kMagicSwapped;
  auto header = [&](HeaderWord w) { return load_word(bytes_, std::uint64_t{w} * 4, swapped); };

  const std::uint32_t major_revision = header(kWordRevision) >> 16;
  if (major_revision > kMaxMajorRevision) return "unknown major revision";
  const std::uint64_t count = header(kWordCount);
  const std::uint64_t originals = header(kWordOriginals);
  const std::uint64_t translations = header(kWordTranslations);
  const std::uint64_t hash_size = header(kWordHashSize);
  const std::uint64_t hash_offset = header(kWordHashOffset);

  // Both descriptor tables and the hash table must lie inside the file
  // before anything is sized from their counts.
  if (originals + count * 8 > size) return "originals table past the end";
  if (translations + count * 8 > size) return "translations table past the end";
  if (hash_size != 0 && hash_offset + hash_size * 4 > size) return "hash table past the end";

  messages_.resize(count);
  for (std::uint64_t i = 0; i < count; ++i) {
    Message& m = messages_[i];
    m.original_length = load_word(bytes_, originals + i * 8, swapped);
    m.original_offset = load_word(bytes_, originals + i * 8 + 4, swapped);
    m.translation_length = load_word(bytes_, translations + i * 8, swapped);
    m.translation_offset = load_word(bytes_, translations + i * 8 + 4, swapped);
    if (!string_fits(bytes_, size_, m.original_length, m.original_offset))
      return "an original past the end or not terminated";
    if (!string_fits(bytes_, size_, m.translation_length, m.translation_offset))
      return "a translation past the end or not terminated";
  }

  verdicts_.assign(count, 0);

  // The file's own hash table is checked, not used: lookups go through
  // build_index's.
  if (major_revision == 0)
    for (std::uint64_t i = 0; i < hash_size; ++i)
      if (load_word(bytes_, hash_offset + i * 4, swapped) > count) return "hash table names a message past the last";
  for (Message& m : messages_) {
    const char* original = bytes_ + m.original_offset;
    const void* nul = std::memchr(original, '\0', m.original_length);
    m.key_length = nul == nullptr ? m.original_length
                                  : static_cast<std::uint32_t>(static_cast<const char*>(nul) - original);
  }
  build_index();
  return nullptr;
}
