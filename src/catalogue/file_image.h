// A catalogue file's bytes in memory of our own. A small file is read whole
// when it is opened; a large one a piece at a time as lookups first need
// them, so opening costs the same whatever the file's size. No descriptor
// is kept per file: a later piece reopens the file through a process-wide
// set of at most 8 descriptors, and the file must still be the one opened
// (same device, inode, size, modification and change times), or the image
// is stale: what was read keeps answering, nothing more is read.
#ifndef NLS_FILE_IMAGE_H
#define NLS_FILE_IMAGE_H

#include <sys/stat.h>

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

/// What tells one version of a file from the next, as fstat tells it of a
/// descriptor: a replaced file has another inode, one rewritten in place
/// another size or times (the kernel gives a change after our fstat a time
/// of its own).
struct nlsFileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{}, changed{};
  static nlsFileIdentity of(const struct stat& st);
  bool operator==(const nlsFileIdentity& o) const;
  bool operator!=(const nlsFileIdentity& o) const { return !(*this == o); }
};

/// Why a file could not be had: `problem` for explain(); `again` when it
/// may succeed later (out of descriptors or memory).
struct nlsOpenProblem {
  std::string problem;
  bool again = false;
};

/// A catalogue file opened for reading, its descriptor one of the
/// process-wide few. Closed (given back) when destroyed unless an image
/// took it.
class nlsOpenedFile {
 public:
  /// Opens `path` without blocking (a FIFO or device is refused, never
  /// waited on) and checks it is a regular, non-empty file; `ok()` false
  /// with the reason in `failure` otherwise.
  nlsOpenedFile(const char* path, nlsOpenProblem* failure);
  ~nlsOpenedFile();
  nlsOpenedFile(const nlsOpenedFile&) = delete;
  nlsOpenedFile& operator=(const nlsOpenedFile&) = delete;

  bool ok() const { return fd_ >= 0; }
  const nlsFileIdentity& identity() const { return identity_; }

 private:
  friend class nlsFileImage;
  std::uint64_t owner_;
  int slot_ = -1;
  int fd_ = -1;
  nlsFileIdentity identity_;
};

/// Any number of threads may read one image at once; reading from the file
/// takes a lock, only while some of it is still unread. See docs/threads.md.
class nlsFileImage {
 public:
  /// An image of the file `opened` (whose descriptor it takes), found at
  /// `path`; null with the reason in `failure` when memory runs out.
  static std::unique_ptr<nlsFileImage> load(nlsOpenedFile& opened, const char* path, nlsOpenProblem* failure);
  /// A copy of `size` bytes, all of it present.
  static std::unique_ptr<nlsFileImage> copy(const void* bytes, std::size_t size, nlsOpenProblem* failure);
  ~nlsFileImage();
  nlsFileImage(const nlsFileImage&) = delete;
  nlsFileImage& operator=(const nlsFileImage&) = delete;

  std::uint64_t size() const { return size_; }
  const nlsFileIdentity& identity() const { return identity_; }
  /// The file changed after opening (or went away, or read short): no more
  /// of it is read.
  bool stale() const { return stale_.load(std::memory_order_acquire); }
  /// The `length` bytes at `offset` (which the caller keeps inside the
  /// file), read first where they were not; null when they cannot be had:
  /// the image is stale, or the file cannot be reopened now (no
  /// descriptor or memory left), which a later call tries again. Bytes
  /// once read never change.
  const char* at(std::uint64_t offset, std::uint64_t length) const {
    if (!complete_.load(std::memory_order_acquire) && !need(offset, length)) return nullptr;
    return bytes_ + offset;
  }
  /// The bytes at `offset`, which the caller knows were read already.
  const char* read(std::uint64_t offset) const { return bytes_ + offset; }
  /// Reads what is not read yet; afterwards `at` never touches the file.
  /// False when some of it cannot be had.
  bool read_all() const;

  /// Files the library holds a descriptor of now, lent or kept between
  /// reads: for tests and diagnostics (at most 8).
  static int descriptors_open();
  /// Pieces read from files so far, process-wide: for tests and benchmarks.
  static std::uint64_t pieces_read();

 private:
  static constexpr unsigned kChunkBits = 12;  // 4 KiB
  // `bytes` lies in `memory`: at its start, or at the first piece boundary.
  nlsFileImage(nlsMemory memory, char* bytes, std::uint64_t size, bool complete);
  bool need(std::uint64_t offset, std::uint64_t length) const;
  /// Reads chunks [first, last], those not read yet; `reading_` held.
  bool read_chunks(std::uint64_t first, std::uint64_t last) const;
  /// Whether `fd` is still the file opened; marks the image stale if not.
  bool same_file(int fd) const;
  /// Reads [from, to) through `fd`; a short read marks the image stale.
  bool read_bytes(int fd, std::uint64_t from, std::uint64_t to) const;
  /// Chunks holding [from, to) are read (and checked).
  void mark_read(std::uint64_t from, std::uint64_t to) const;
  bool has(std::uint64_t chunk) const {
    return (chunks_[chunk >> 6].load(std::memory_order_acquire) >> (chunk & 63) & 1) != 0;
  }

  const nlsMemory memory_;  // a chunk's bytes are set when it is read
  char* const bytes_;
  const std::uint64_t size_;
  std::string path_;
  nlsFileIdentity identity_;
  std::uint64_t owner_ = 0;  // its descriptor's owner in the process-wide set
  mutable std::mutex reading_;
  std::unique_ptr<std::atomic<std::uint64_t>[]> chunks_;  // bit c: chunk c read
  mutable std::atomic<bool> complete_;
  mutable std::atomic<bool> stale_{false};
};

#endif  // NLS_FILE_IMAGE_H
