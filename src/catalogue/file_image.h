// A catalogue file's bytes in memory of our own, read a chunk at a time as
// lookups first need them: opening costs the same whatever the file's size,
// and a file changed or cut on disk cannot take memory away from under a
// lookup, as a mapping of it could (nothing of the file is mapped).
#ifndef NLS_FILE_IMAGE_H
#define NLS_FILE_IMAGE_H

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

/// Memory from the allocator, freed with it: a program that opens
/// catalogues again and again (a translator a request) reuses what an
/// earlier one freed instead of faulting in fresh pages from the kernel.
struct nlsFreeMemory {
  void operator()(void* memory) const { std::free(memory); }
};
using nlsMemory = std::unique_ptr<char[], nlsFreeMemory>;

/// Any number of threads may read one image at once; reading from the file
/// takes a lock, only while some of it is still unread. See docs/threads.md.
class nlsFileImage {
 public:
  /// The file at `path`, of which nothing is read yet; null with the reason
  /// in `problem` when it cannot be opened or is no regular, non-empty file.
  static std::unique_ptr<nlsFileImage> open(const char* path, std::string* problem);
  /// A copy of `size` bytes, all of it present.
  static std::unique_ptr<nlsFileImage> copy(const void* bytes, std::size_t size, std::string* problem);
  ~nlsFileImage();
  nlsFileImage(const nlsFileImage&) = delete;
  nlsFileImage& operator=(const nlsFileImage&) = delete;

  std::uint64_t size() const { return size_; }
  /// Where the file was found to end when a read came short (it was cut
  /// after opening, or could not be read): bytes from there on were never
  /// the file's. The size until then.
  std::uint64_t readable() const { return readable_.load(std::memory_order_acquire); }
  /// The `length` bytes at `offset` (which the caller keeps inside the
  /// file), read first where they were not. Bytes a cut file no longer
  /// has read as zeros. Once read, bytes never change; bytes not read yet
  /// are never shown.
  const char* at(std::uint64_t offset, std::uint64_t length) const {
    if (!complete_.load(std::memory_order_acquire)) need(offset, length);
    return bytes_ + offset;
  }
  /// The bytes at `offset`, which the caller knows were read already.
  const char* read(std::uint64_t offset) const { return bytes_ + offset; }
  /// Reads what is not read yet; afterwards `at` never touches the file.
  void read_all() const;

 private:
  static constexpr unsigned kChunkBits = 12;  // 4 KiB
  nlsFileImage(nlsMemory memory, std::uint64_t size, int fd);
  void need(std::uint64_t offset, std::uint64_t length) const;
  /// Reads chunks [first, last], those not read yet; `reading_` held.
  void read_chunks(std::uint64_t first, std::uint64_t last) const;
  bool has(std::uint64_t chunk) const {
    return (chunks_[chunk >> 6].load(std::memory_order_acquire) >> (chunk & 63) & 1) != 0;
  }

  const nlsMemory memory_;  // a chunk's bytes are set when it is read
  char* const bytes_;
  const std::uint64_t size_;
  mutable int fd_;  // closed once every chunk is read
  mutable std::mutex reading_;
  std::unique_ptr<std::atomic<std::uint64_t>[]> chunks_;  // bit c: chunk c read
  mutable std::atomic<bool> complete_;
  mutable std::atomic<std::uint64_t> readable_;
};

#endif  // NLS_FILE_IMAGE_H
