// Measuring and comparing the short texts of a message sixteen bytes at a
// time. A read that stays in the page of a byte known to be there cannot
// fault, whatever lies past the text's NUL; such reads are what make these
// cheaper than the library's calls for texts of a message's size. Builds
// with a sanitizer take those reads for overruns, and a target without
// SSE2 has no such loads: both read byte by byte.
#ifndef KEZNLS_SRC_FORMAT_TEXT_READS_H
#define KEZNLS_SRC_FORMAT_TEXT_READS_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define KEZNLS_BYTE_READS 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || !defined(__SSE2__)
#define KEZNLS_BYTE_READS 1
#endif

#ifndef KEZNLS_BYTE_READS
#include <emmintrin.h>
#endif

#pragma GCC visibility push(hidden)
namespace keznls_engine {

// Length of a text that is usually short (a string argument, the decimal
// point).
inline std::size_t short_length(const char* s) {
#ifdef KEZNLS_BYTE_READS
  for (std::size_t i = 0; i < 16; ++i)
    if (s[i] == '\0') return i;
  return 16 + std::strlen(s + 16);
#else
  // Aligned blocks: each holds a byte of the text, so it lies in that
  // byte's page. The first block's bytes before the text are shifted out.
  const std::uintptr_t skip = reinterpret_cast<std::uintptr_t>(s) & 15;
  const auto* block = reinterpret_cast<const __m128i*>(s - skip);
  const __m128i zero = _mm_setzero_si128();
  const unsigned nul = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_load_si128(block), zero))) >> skip;
  if (nul != 0) return static_cast<std::size_t>(__builtin_ctz(nul));
  const std::size_t seen = 16 - skip;
  const unsigned next = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_load_si128(block + 1), zero)));
  if (next != 0) return seen + static_cast<std::size_t>(__builtin_ctz(next));
  return seen + 16 + std::strlen(s + seen + 16);
#endif
}

// Whether the text at `s` holds a '%': a message's format mostly does
// not, and is read here sixteen bytes at a time.
inline bool has_percent(const char* s) {
#ifdef KEZNLS_BYTE_READS
  return std::strchr(s, '%') != nullptr;
#else
  // Aligned blocks, as short_length reads them.
  const std::uintptr_t skip = reinterpret_cast<std::uintptr_t>(s) & 15;
  const auto* block = reinterpret_cast<const __m128i*>(s - skip);
  const __m128i zero = _mm_setzero_si128();
  const __m128i percent = _mm_set1_epi8('%');
  const auto bits = [](__m128i b, __m128i c) { return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, c))); };
  __m128i b = _mm_load_si128(block);
  unsigned nul = bits(b, zero) >> skip, found = bits(b, percent) >> skip;
  while (nul == 0) {
    if (found != 0) return true;
    b = _mm_load_si128(++block);
    nul = bits(b, zero);
    found = bits(b, percent);
  }
  return (found & ((nul & (0u - nul)) - 1)) != 0;  // a '%' before the NUL
#endif
}

// A kept copy of a text of at most N characters with its NUL, and what
// comparing a text at the same address with it needs: the copy sits at the
// address's offset within sixteen bytes, so that both are read in the same
// aligned blocks.
template <int N>
class KeptText {
 public:
  static_assert(N >= 16 && N <= 240, "a short text");

  // Keeps `size` characters of `text` and its NUL; size < N.
  void keep(const char* text, std::size_t size) {
    const std::size_t skip = reinterpret_cast<std::uintptr_t>(text) & 15;
    const std::size_t end = skip + size + 1;  // past the NUL, from the first block's start
    std::memset(bytes_, 0, sizeof bytes_);
    std::memcpy(bytes_ + skip, text, size + 1);
    skip_ = static_cast<std::uint8_t>(skip);
    blocks_ = static_cast<std::uint8_t>((end + 15) / 16);
    ignore_first_ = static_cast<std::uint16_t>((1u << skip) - 1);
    ignore_last_ = static_cast<std::uint16_t>(0xffffu & ~((1u << (end - 16 * (blocks_ - 1))) - 1));
  }

  const char* text() const { return bytes_ + skip_; }

  // Whether `s`, at the address the copy was kept from, still holds the
  // kept text: the same characters and a NUL after them.
  __attribute__((always_inline)) bool same(const char* s) const {
#ifdef KEZNLS_BYTE_READS
    return std::strcmp(s, text()) == 0;
#else
    // A block is read only once the ones before it matched, so that s's
    // text reaches into it: no read leaves the pages of its bytes.
    const auto* from = reinterpret_cast<const __m128i*>(s - skip_);
    const auto* kept = reinterpret_cast<const __m128i*>(bytes_);
    const auto equal = [&](int i) {
      return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_load_si128(from + i), kept[i])));
    };
    unsigned seen = equal(0) | ignore_first_;
    for (int i = 1; i < blocks_; ++i) {
      if (seen != 0xffffu) return false;
      seen = equal(i);
    }
    return (seen | ignore_last_) == 0xffffu;
#endif
  }

 private:
  alignas(16) char bytes_[N + 16];
  std::uint8_t skip_;           // the copy's offset in bytes_: its address's within sixteen bytes
  std::uint8_t blocks_;  // aligned blocks the text and its NUL touch
  std::uint16_t ignore_first_;  // bits of the first block's bytes before the text
  std::uint16_t ignore_last_;   // of the last block's past the NUL
};

}  // namespace keznls_engine
#pragma GCC visibility pop

#endif  // KEZNLS_SRC_FORMAT_TEXT_READS_H
