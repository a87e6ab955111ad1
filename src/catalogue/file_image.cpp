#include "catalogue/file_image.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace {

// Files of at most this size are read whole when opened: one read, and
// nothing of them is read again. Most catalogues are smaller.
constexpr std::uint64_t kWholeUpTo = 64 * 1024;

std::atomic<std::uint64_t> g_next_owner{1};
std::atomic<std::uint64_t> g_pieces_read{0};

// Whether a failure may pass: out of descriptors or memory, interrupted.
bool passes(int error) {
  return error == EMFILE || error == ENFILE || error == ENOMEM || error == EINTR || error == EAGAIN;
}

// The descriptors of catalogue files the process holds: at most kMax open
// at once, whether lent to a reader or kept for the next read of the same
// file, and at most kKept kept between reads (the least recently used goes
// first). A slot is lent to one reader at a time; a reader holds one slot
// at a time, so waiting for one always ends.
class Descriptors {
 public:
  static constexpr int kMax = 8;
  static constexpr int kKept = 4;

  /// A slot for `owner`: with its kept descriptor in `*fd`, or empty (`*fd`
  /// -1) for a descriptor the caller opens.
  __attribute__((noinline)) int lend(std::uint64_t owner, int* fd) {
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
      for (int i = 0; i < kMax; ++i)
        if (!slots_[i].lent && slots_[i].fd >= 0 && slots_[i].owner == owner) {
          slots_[i].lent = true;
          *fd = slots_[i].fd;
          return i;
        }
      int chosen = -1;
      for (int i = 0; i < kMax && chosen < 0; ++i)
        if (!slots_[i].lent && slots_[i].fd < 0) chosen = i;
      if (chosen < 0) chosen = oldest_kept();
      if (chosen >= 0) {
        Slot& s = slots_[chosen];
        if (s.fd >= 0) ::close(s.fd);
        s = Slot{owner, -1, true, 0};
        *fd = -1;
        return chosen;
      }
      // A plain condition of the C library's, signalled only when someone
      // waits: the usual loan makes no call for it.
      ++waiting_;
      pthread_cond_wait(&returned_, lock_.native_handle());
      --waiting_;
    }
  }

  /// Ends the loan of `slot`: keeps `fd` for the slot's owner when `keep`,
  /// else closes it (-1: nothing to close, or a number that is no longer
  /// ours and must not be touched).
  __attribute__((noinline)) void give_back(int slot, int fd, bool keep) {
    bool waited_for;
    {
      std::lock_guard<std::mutex> hold(lock_);
      waited_for = waiting_ > 0;
      Slot& s = slots_[slot];
      s.lent = false;
      s.fd = keep ? fd : -1;
      s.used = ++clock_;
      if (!keep && fd >= 0) ::close(fd);
      int kept = 0;
      for (const Slot& other : slots_) kept += !other.lent && other.fd >= 0;
      for (; kept > kKept; --kept) {
        Slot& old = slots_[oldest_kept()];
        ::close(old.fd);
        old.fd = -1;
      }
    }
    if (waited_for) pthread_cond_signal(&returned_);
  }

  /// Closes what is kept for `owner`.
  __attribute__((noinline)) void forget(std::uint64_t owner) {
    std::lock_guard<std::mutex> hold(lock_);
    for (Slot& s : slots_)
      if (!s.lent && s.fd >= 0 && s.owner == owner) {
        ::close(s.fd);
        s.fd = -1;
      }
  }

  /// Closes every kept descriptor: the process ran out of them.
  __attribute__((noinline)) void close_kept() {
    std::lock_guard<std::mutex> hold(lock_);
    for (Slot& s : slots_)
      if (!s.lent && s.fd >= 0) {
        ::close(s.fd);
        s.fd = -1;
      }
  }

  __attribute__((noinline)) int open_now() {
    std::lock_guard<std::mutex> hold(lock_);
    int n = 0;
    for (const Slot& s : slots_) n += s.lent || s.fd >= 0;
    return n;
  }

 private:
  struct Slot {
    std::uint64_t owner = 0;  // never reused: a kept descriptor goes to its own file's reader only
    int fd = -1;
    bool lent = false;
    std::uint64_t used = 0;
  };
  int oldest_kept() const {
    int oldest = -1;
    for (int i = 0; i < kMax; ++i)
      if (!slots_[i].lent && slots_[i].fd >= 0 && (oldest < 0 || slots_[i].used < slots_[oldest].used)) oldest = i;
    return oldest;
  }

  std::mutex lock_;
  pthread_cond_t returned_ = PTHREAD_COND_INITIALIZER;
  int waiting_ = 0;
  Slot slots_[kMax];
  std::uint64_t clock_ = 0;
};

// Never destroyed: images in static objects may outlive any order of
// destruction at exit.
Descriptors& descriptors() {
  static Descriptors* const d = new Descriptors;
  return *d;
}

// Opens without blocking on a FIFO and without taking a terminal; when the
// process is out of descriptors, ours kept between reads are given up first.
int open_file(const char* path) {
  constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  int fd = ::open(path, kFlags);
  if (fd < 0 && (errno == EMFILE || errno == ENFILE)) {
    descriptors().close_kept();
    fd = ::open(path, kFlags);
  }
  return fd;
}

}  // namespace

nlsFileIdentity nlsFileIdentity::of(const struct stat& st) {
  nlsFileIdentity id;
  id.device = st.st_dev;
  id.inode = st.st_ino;
  id.size = st.st_size;
  id.modified = st.st_mtim;
  id.changed = st.st_ctim;
  return id;
}

bool nlsFileIdentity::operator==(const nlsFileIdentity& o) const {
  return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec &&
         modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec &&
         changed.tv_nsec == o.changed.tv_nsec;
}

nlsOpenedFile::nlsOpenedFile(const char* path, nlsOpenProblem* failure)
    : owner_(g_next_owner.fetch_add(1, std::memory_order_relaxed)) {
  int kept;
  slot_ = descriptors().lend(owner_, &kept);
  const int fd = open_file(path);
  if (fd < 0) {
    const int error = errno;
    failure->again = passes(error);
    failure->problem = error == ENOENT     ? std::string("missing")
                       : failure->again ? std::string("unreadable now: ") + std::strerror(error)
                                          : std::string("unreadable: ") + std::strerror(error);
    return;
  }
  fd_ = fd;
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    failure->problem = std::string("unreadable: ") + std::strerror(errno);
  } else if (!S_ISREG(st.st_mode)) {
    failure->problem = "not a regular file";
  } else if (st.st_size == 0) {
    failure->problem = "malformed: empty file";
  } else {
    identity_ = nlsFileIdentity::of(st);
    return;
  }
  ::close(fd);
  fd_ = -1;
}

nlsOpenedFile::~nlsOpenedFile() {
  if (slot_ >= 0) descriptors().give_back(slot_, fd_, false);
}

nlsFileImage::nlsFileImage(std::uint64_t size, std::uint64_t pieces)
    : size_(size),
      // At most a quarter of the file beyond the first block: a run that
      // does not fit has the file read whole.
      capacity_(static_cast<std::uint32_t>(std::min<std::uint64_t>(kFirstPieces + pieces / 4, kMaxStored))) {}

nlsFileImage::~nlsFileImage() {
  if (owner_ != 0 && !complete_.load(std::memory_order_relaxed)) descriptors().forget(owner_);
}

std::unique_ptr<nlsFileImage> nlsFileImage::load(nlsOpenedFile& opened, const char* path, nlsOpenProblem* failure) {
  const auto size = static_cast<std::uint64_t>(opened.identity_.size);
  const bool whole = size <= kWholeUpTo;
  const std::uint64_t pieces = (size + kPiece - 1) >> kPieceBits;
  std::unique_ptr<nlsFileImage> image(new (std::nothrow) nlsFileImage(size, pieces));
  if (image != nullptr) {
    image->identity_ = opened.identity_;
    image->owner_ = opened.owner_;
    try {
      image->path_ = path;
    } catch (const std::bad_alloc&) {
      image.reset();
    }
  }
  if (image != nullptr && whole) {
    image->whole_memory_.reset(static_cast<char*>(std::malloc(size)));
    if (image->whole_memory_ == nullptr) image.reset();
  } else if (image != nullptr) {
    try {
      image->index_.reset(new nls_state::ZeroedArray<std::atomic<std::uint32_t>>(pieces));
      image->first_memory_.reset(static_cast<char*>(std::malloc(kFirstPieces * kPiece)));
      image->first_ = image->first_memory_.get();
    } catch (const std::bad_alloc&) {
    }
    if (image->first_ == nullptr) image.reset();
  }
  if (image == nullptr) {
    failure->problem = "unreadable now: out of memory";
    failure->again = true;
    return nullptr;
  }
  // Read now, with the descriptor in hand: the whole of a small file, the
  // first piece (the header) of a large one.
  bool read;
  if (whole) {
    read = image->read_bytes(opened.fd_, image->whole_memory_.get(), 0, size) && image->same_file(opened.fd_);
  } else {
    const std::uint64_t first = std::min<std::uint64_t>(size, kPiece);
    read = image->read_bytes(opened.fd_, image->first_, 0, first) && image->same_file(opened.fd_);
    if (read) {
      (*image->index_)[0].store((1u << kReachBits) | 1, std::memory_order_relaxed);
      image->stored_ = 1;
    }
  }
  // A large file's descriptor is kept for the lookups to come.
  descriptors().give_back(opened.slot_, opened.fd_, read && !whole);
  opened.slot_ = opened.fd_ = -1;
  if (!read) {
    failure->problem = "unreadable now: the file changed while it was read";
    failure->again = true;
    return nullptr;
  }
  if (whole) {
    image->whole_ = image->whole_memory_.get();
    image->complete_.store(true, std::memory_order_release);
  }
  return image;
}

std::unique_ptr<nlsFileImage> nlsFileImage::copy(const void* bytes, std::size_t size, nlsOpenProblem* failure) {
  std::unique_ptr<nlsFileImage> image(new (std::nothrow) nlsFileImage(size, 0));
  if (image != nullptr) image->whole_memory_.reset(static_cast<char*>(std::malloc(size)));
  if (image == nullptr || image->whole_memory_ == nullptr) {
    failure->problem = "unreadable now: out of memory";
    failure->again = true;
    return nullptr;
  }
  std::memcpy(image->whole_memory_.get(), bytes, size);
  image->whole_ = image->whole_memory_.get();
  image->complete_.store(true, std::memory_order_release);
  return image;
}

const char* nlsFileImage::need(std::uint64_t offset, std::uint64_t length) const {
  // The lock is taken only while some of the file is still unread.
  std::lock_guard<std::mutex> hold(reading_);
  const std::uint64_t within = offset & (kPiece - 1);
  const std::uint64_t first = offset >> kPieceBits;
  const std::uint64_t last = (offset + (length > 0 ? length - 1 : 0)) >> kPieceBits;
  if (!complete_.load(std::memory_order_relaxed)) {
    // Another thread may have read them meanwhile.
    const std::uint32_t e = (*index_)[first].load(std::memory_order_relaxed);
    if (e != 0 && within + length <= std::uint64_t{reach(e)} << kPieceBits) return piece(e) + within;
    if (stale()) return nullptr;
    // Pieces are read as one run, those read before included, so that the
    // bytes asked for lie together. A run too long for an index entry, or
    // a store full, means the file is better read whole.
    const Outcome run = last - first < kMaxReach ? read_run(first, last) : Outcome::no_room;
    if (run == Outcome::read) return piece((*index_)[first].load(std::memory_order_relaxed)) + within;
    if (run == Outcome::failed || !read_whole()) return nullptr;
  }
  return whole_ + offset;
}

bool nlsFileImage::same_file(int fd) const {
  struct stat st;
  if (::fstat(fd, &st) == 0 && nlsFileIdentity::of(st) == identity_) return true;
  stale_.store(true, std::memory_order_release);
  return false;
}

bool nlsFileImage::read_bytes(int fd, char* into, std::uint64_t from, std::uint64_t to) const {
  for (std::uint64_t done = from; done < to;) {
    const ssize_t n = ::pread(fd, into + (done - from), to - done, static_cast<off_t>(done));
    g_pieces_read.fetch_add(1, std::memory_order_relaxed);
    if (n > 0) {
      done += static_cast<std::uint64_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      // Cut after opening, or unreadable: never zeros in its place.
      stale_.store(true, std::memory_order_release);
      return false;
    }
  }
  return true;
}

bool nlsFileImage::read_file(char* into, std::uint64_t from, std::uint64_t to) const {
  int fd;
  int slot = descriptors().lend(owner_, &fd);
  if (fd >= 0) {
    // A kept descriptor still names our file unless the program closed it
    // behind our back and its number now names one of the program's: that
    // one is never read or closed.
    struct stat st;
    if (::fstat(fd, &st) != 0 || st.st_dev != identity_.device || st.st_ino != identity_.inode) {
      descriptors().give_back(slot, -1, false);
      slot = descriptors().lend(owner_, &fd);
    } else if (nlsFileIdentity::of(st) != identity_) {
      stale_.store(true, std::memory_order_release);
      descriptors().give_back(slot, fd, false);
      return false;
    }
  }
  if (fd < 0) {
    fd = open_file(path_.c_str());
    if (fd < 0) {
      // Out of descriptors or memory: a later lookup tries again. Gone or
      // unreadable for good: the image is what was read.
      if (!passes(errno)) stale_.store(true, std::memory_order_release);
      descriptors().give_back(slot, -1, false);
      return false;
    }
    if (!same_file(fd)) {
      descriptors().give_back(slot, fd, false);
      return false;
    }
  }
  // The file must still be the one opened after the reads, or none of it is kept.
  const bool ok = read_bytes(fd, into, from, to) && same_file(fd);
  descriptors().give_back(slot, fd, ok);
  return ok;
}

nlsFileImage::Outcome nlsFileImage::read_run(std::uint64_t first, std::uint64_t last) const {
  const auto count = static_cast<std::uint32_t>(last - first + 1);
  // A run lies in one block: one that does not fit what is left of the first starts the second.
  std::uint32_t at = stored_;
  if (at < kFirstPieces && at + count > kFirstPieces) at = kFirstPieces;
  if (at + count > capacity_) return Outcome::no_room;
  if (at >= kFirstPieces && more_ == nullptr) {
    more_memory_.reset(static_cast<char*>(std::malloc(std::uint64_t{capacity_ - kFirstPieces} << kPieceBits)));
    if (more_memory_ == nullptr) return Outcome::failed;
    more_ = more_memory_.get();
  }
  char* const into = at < kFirstPieces ? first_ + (std::uint64_t{at} << kPieceBits)
                                       : more_ + (std::uint64_t{at - kFirstPieces} << kPieceBits);
  const std::uint64_t end = std::min<std::uint64_t>((last + 1) << kPieceBits, size_);
  if (!read_file(into, first << kPieceBits, end)) return Outcome::failed;
  // Each piece now also lies here, followed by the rest of the run: an
  // entry moves only to a longer reach, so whatever an earlier `at`
  // returned still runs as far as it asked, where `read` finds it.
  for (std::uint64_t p = first; p <= last; ++p) {
    const auto run = static_cast<std::uint32_t>(last - p + 1);
    std::atomic<std::uint32_t>& entry = (*index_)[p];
    if (reach(entry.load(std::memory_order_relaxed)) < run)
      entry.store((static_cast<std::uint32_t>(at + (p - first) + 1) << kReachBits) | run,
                      std::memory_order_release);
  }
  stored_ = at + count;
  return Outcome::read;
}

bool nlsFileImage::read_whole() const {
  if (whole_memory_ == nullptr) {
    whole_memory_.reset(static_cast<char*>(std::malloc(size_)));
    if (whole_memory_ == nullptr) return false;
  }
  char* const into = whole_memory_.get();
  if (!read_file(into, 0, size_)) {
    whole_memory_.reset();
    return false;
  }
  descriptors().forget(owner_);
  whole_ = into;
  complete_.store(true, std::memory_order_release);
  return true;
}

bool nlsFileImage::read_all() const {
  if (complete_.load(std::memory_order_acquire)) return true;
  std::lock_guard<std::mutex> hold(reading_);
  return complete_.load(std::memory_order_relaxed) || (!stale() && read_whole());
}

int nlsFileImage::descriptors_open() { return descriptors().open_now(); }

std::uint64_t nlsFileImage::pieces_read() { return g_pieces_read.load(std::memory_order_relaxed); }
