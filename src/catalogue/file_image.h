// A catalogue file's bytes in memory of our own. A small file is read whole
// when it is opened; of a large one only the pieces lookups reach are read,
// and packed one after the other, so that opening and a few lookups cost
// the same whatever the file's size and touch a few pages, not one a piece.
// No descriptor is kept per file: a later piece reopens the file through a
// process-wide set of at most 8 descriptors, and the file must still be the
// one opened (same device, inode, size, modification and change times), or
// the image is stale: what was read keeps answering, nothing more is read.
#ifndef NLS_FILE_IMAGE_H
#define NLS_FILE_IMAGE_H

#include <sys/stat.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "catalogue/zeroed_array.h"

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
  /// file), in one run, read first where they were not; null when they
  /// cannot be had: the image is stale, or the file cannot be reopened now
  /// (no descriptor or memory left), which a later call tries again.
  /// Bytes once read never change or move.
  const char* at(std::uint64_t offset, std::uint64_t length) const {
    if (complete_.load(std::memory_order_acquire)) return whole_ + offset;
    const std::uint32_t e = (*index_)[offset >> kPieceBits].load(std::memory_order_acquire);
    const std::uint64_t within = offset & (kPiece - 1);
    if (e != 0 && within + length <= std::uint64_t{reach(e)} << kPieceBits) return piece(e) + within;
    return need(offset, length);
  }
  /// The bytes at `offset`, which an earlier `at` returned (they run as far
  /// as it asked).
  const char* read(std::uint64_t offset) const {
    if (complete_.load(std::memory_order_acquire)) return whole_ + offset;
    return piece((*index_)[offset >> kPieceBits].load(std::memory_order_acquire)) + (offset & (kPiece - 1));
  }
  /// Reads what is not read yet, in one copy at file offsets; afterwards
  /// `at` never touches the file. False when some of it cannot be had.
  bool read_all() const;

  /// Files the library holds a descriptor of now, lent or kept between
  /// reads: for tests and diagnostics (at most 8).
  static int descriptors_open();
  /// Reads from files so far, process-wide: for tests and benchmarks.
  static std::uint64_t pieces_read();

 private:
  static constexpr unsigned kPieceBits = 9;  // 512 bytes
  static constexpr std::uint64_t kPiece = std::uint64_t{1} << kPieceBits;
  // Piece p's entry in `index_`: 0 while unread, else where it is kept
  // (one more than its number in the store, 24 bits) and its reach (8
  // bits): how many pieces of the file follow from it there in one run.
  static constexpr unsigned kReachBits = 8;
  static constexpr std::uint32_t kMaxReach = (1u << kReachBits) - 1;
  static constexpr std::uint32_t kMaxStored = (1u << (32 - kReachBits)) - 2;
  static std::uint32_t reach(std::uint32_t e) { return e & kMaxReach; }
  const char* piece(std::uint32_t e) const {
    const std::uint32_t at = (e >> kReachBits) - 1;
    return at < kFirstPieces ? first_ + (std::uint64_t{at} << kPieceBits)
                             : more_ + (std::uint64_t{at - kFirstPieces} << kPieceBits);
  }
  // The store: a first block from the allocator's small memory, then one
  // more of up to a quarter of the file; a file asked for more than that is
  // read whole.
  static constexpr std::uint32_t kFirstPieces = 32;

  nlsFileImage(std::uint64_t size, std::uint64_t pieces);
  const char* need(std::uint64_t offset, std::uint64_t length) const;
  enum class Outcome { read, failed, no_room };
  /// Pieces [first, last] read into the store in one run; `reading_` held.
  /// `no_room` when the store is full.
  Outcome read_run(std::uint64_t first, std::uint64_t last) const;
  /// Everything read into `whole_`; `reading_` held.
  bool read_whole() const;
  /// Reads [from, to) of the file into `into` through a descriptor of the
  /// process-wide set, checking it is still the file opened before and
  /// after; `reading_` held.
  bool read_file(char* into, std::uint64_t from, std::uint64_t to) const;
  /// Whether `fd` is still the file opened; marks the image stale if not.
  bool same_file(int fd) const;
  /// Reads [from, to) of the file through `fd` into `into`; a short read
  /// marks the image stale.
  bool read_bytes(int fd, char* into, std::uint64_t from, std::uint64_t to) const;

  const std::uint64_t size_;
  std::string path_;
  nlsFileIdentity identity_;
  std::uint64_t owner_ = 0;  // its descriptor's owner in the process-wide set
  mutable std::mutex reading_;
  // An entry a piece, cleared a page at a time: opening a large file
  // clears nothing.
  std::unique_ptr<nls_state::ZeroedArray<std::atomic<std::uint32_t>>> index_;
  nlsMemory first_memory_;  // the store's first block
  char* first_ = nullptr;
  mutable nlsMemory more_memory_;  // the store's second block, made when needed
  mutable char* more_ = nullptr;
  mutable std::uint32_t stored_ = 0;  // pieces in the store (`reading_`)
  std::uint32_t capacity_ = 0;        // pieces the store may hold
  mutable nlsMemory whole_memory_;  // the file at its offsets, once read whole
  mutable const char* whole_ = nullptr;  // set before `complete_`
  mutable std::atomic<bool> complete_{false};
  mutable std::atomic<bool> stale_{false};
};

#endif  // NLS_FILE_IMAGE_H
