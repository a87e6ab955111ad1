#include "catalogue/file_image.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
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
  int lend(std::uint64_t owner, int* fd) {
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
      returned_.wait(hold);
    }
  }

  /// Ends the loan of `slot`: keeps `fd` for the slot's owner when `keep`,
  /// else closes it (-1: nothing to close, or a number that is no longer
  /// ours and must not be touched).
  void give_back(int slot, int fd, bool keep) {
    {
      std::lock_guard<std::mutex> hold(lock_);
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
    returned_.notify_one();
  }

  /// Closes what is kept for `owner`.
  void forget(std::uint64_t owner) {
    std::lock_guard<std::mutex> hold(lock_);
    for (Slot& s : slots_)
      if (!s.lent && s.fd >= 0 && s.owner == owner) {
        ::close(s.fd);
        s.fd = -1;
      }
  }

  /// Closes every kept descriptor: the process ran out of them.
  void close_kept() {
    std::lock_guard<std::mutex> hold(lock_);
    for (Slot& s : slots_)
      if (!s.lent && s.fd >= 0) {
        ::close(s.fd);
        s.fd = -1;
      }
  }

  int open_now() {
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
  std::condition_variable returned_;
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

// Not zeroed: every byte is written when its chunk is read. Room for a
// piece more than the file, so that a file read in pieces can lie on their
// boundaries (a piece then fills one fresh page rather than faulting in
// two), still from malloc, which hands a freed copy's memory to the next.
nlsMemory allocate(std::uint64_t size, std::uint64_t piece = 1) {
  return nlsMemory(static_cast<char*>(std::malloc(size + piece - 1)));
}

char* on_boundary(char* memory, std::uint64_t piece) {
  const auto at = reinterpret_cast<std::uintptr_t>(memory);
  return memory + ((piece - at % piece) % piece);
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

nlsFileImage::nlsFileImage(nlsMemory memory, char* bytes, std::uint64_t size, bool complete)
    : memory_(std::move(memory)), bytes_(bytes), size_(size), complete_(complete) {}

nlsFileImage::~nlsFileImage() {
  if (owner_ != 0 && !complete_.load(std::memory_order_relaxed)) descriptors().forget(owner_);
}

std::unique_ptr<nlsFileImage> nlsFileImage::load(nlsOpenedFile& opened, const char* path, nlsOpenProblem* failure) {
  const auto size = static_cast<std::uint64_t>(opened.identity_.size);
  const bool whole = size <= kWholeUpTo;
  const std::uint64_t chunks = (size + (1u << kChunkBits) - 1) >> kChunkBits;
  std::unique_ptr<nlsFileImage> image;
  try {
    const std::uint64_t piece = whole ? 1 : 1u << kChunkBits;
    nlsMemory memory = allocate(size, piece);
    if (memory == nullptr) throw std::bad_alloc();
    char* const bytes = on_boundary(memory.get(), piece);
    image.reset(new nlsFileImage(std::move(memory), bytes, size, false));
    image->chunks_.reset(new std::atomic<std::uint64_t>[(chunks + 63) / 64]());
    image->path_ = path;
  } catch (const std::bad_alloc&) {
    failure->problem = "unreadable now: out of memory";
    failure->again = true;
    return nullptr;
  }
  image->identity_ = opened.identity_;
  image->owner_ = opened.owner_;
  // Read now, with the descriptor in hand: the whole of a small file, the
  // first piece (the header) of a large one.
  const std::uint64_t first = whole ? size : std::min<std::uint64_t>(size, 1u << kChunkBits);
  const bool read = image->read_bytes(opened.fd_, 0, first) && image->same_file(opened.fd_);
  if (read) image->mark_read(0, first);
  // A large file's descriptor is kept for the lookups to come.
  descriptors().give_back(opened.slot_, opened.fd_, read && !whole);
  opened.slot_ = opened.fd_ = -1;
  if (!read) {
    failure->problem = "unreadable now: the file changed while it was read";
    failure->again = true;
    return nullptr;
  }
  if (whole) image->complete_.store(true, std::memory_order_release);
  return image;
}

std::unique_ptr<nlsFileImage> nlsFileImage::copy(const void* bytes, std::size_t size, nlsOpenProblem* failure) {
  nlsMemory memory = allocate(size);
  char* const start = memory.get();
  std::unique_ptr<nlsFileImage> image(
      memory != nullptr ? new (std::nothrow) nlsFileImage(std::move(memory), start, size, true) : nullptr);
  if (image == nullptr) {
    failure->problem = "unreadable now: out of memory";
    failure->again = true;
    return nullptr;
  }
  std::memcpy(image->bytes_, bytes, size);
  return image;
}

bool nlsFileImage::need(std::uint64_t offset, std::uint64_t length) const {
  const std::uint64_t first = offset >> kChunkBits;
  const std::uint64_t last = (offset + (length > 0 ? length - 1 : 0)) >> kChunkBits;
  for (std::uint64_t c = first; c <= last; ++c)
    if (!has(c)) {
      // The lock is taken only while some of the file is still unread.
      std::lock_guard<std::mutex> hold(reading_);
      return read_chunks(c, last);
    }
  return true;
}

bool nlsFileImage::same_file(int fd) const {
  struct stat st;
  if (::fstat(fd, &st) == 0 && nlsFileIdentity::of(st) == identity_) return true;
  stale_.store(true, std::memory_order_release);
  return false;
}

bool nlsFileImage::read_bytes(int fd, std::uint64_t from, std::uint64_t to) const {
  for (std::uint64_t done = from; done < to;) {
    const ssize_t n = ::pread(fd, bytes_ + done, to - done, static_cast<off_t>(done));
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

void nlsFileImage::mark_read(std::uint64_t from, std::uint64_t to) const {
  const std::uint64_t end = (to + (1u << kChunkBits) - 1) >> kChunkBits;
  for (std::uint64_t c = from >> kChunkBits; c < end; ++c)
    chunks_[c >> 6].fetch_or(std::uint64_t{1} << (c & 63), std::memory_order_release);
}

bool nlsFileImage::read_chunks(std::uint64_t first, std::uint64_t last) const {
  if (stale()) return false;
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
  // One read for each run of chunks not read yet; the file must still be
  // the one opened after them, or none of it is kept.
  const std::uint64_t end_chunk = (size_ + (1u << kChunkBits) - 1) >> kChunkBits;
  struct Run {
    std::uint64_t from, to;
  } runs[8];
  int count = 0;
  bool ok = true;
  for (std::uint64_t c = first; ok && c <= last && c < end_chunk;) {
    if (has(c)) {
      ++c;
      continue;
    }
    std::uint64_t run_end = c + 1;
    while (run_end <= last && run_end < end_chunk && !has(run_end)) ++run_end;
    const Run run{c << kChunkBits, run_end << kChunkBits < size_ ? run_end << kChunkBits : size_};
    ok = read_bytes(fd, run.from, run.to);
    if (count == 8) {
      // Many runs (reading all of a file): checked a batch at a time.
      ok = ok && same_file(fd);
      for (const Run& r : runs) if (ok) mark_read(r.from, r.to);
      count = 0;
    }
    runs[count++] = run;
    c = run_end;
  }
  ok = ok && same_file(fd);
  for (int i = 0; ok && i < count; ++i) mark_read(runs[i].from, runs[i].to);
  descriptors().give_back(slot, fd, ok);
  return ok;
}

bool nlsFileImage::read_all() const {
  if (complete_.load(std::memory_order_acquire)) return true;
  std::lock_guard<std::mutex> hold(reading_);
  if (complete_.load(std::memory_order_relaxed)) return true;
  if (!read_chunks(0, (size_ - 1) >> kChunkBits)) return false;
  descriptors().forget(owner_);
  complete_.store(true, std::memory_order_release);
  return true;
}

int nlsFileImage::descriptors_open() { return descriptors().open_now(); }

std::uint64_t nlsFileImage::pieces_read() { return g_pieces_read.load(std::memory_order_relaxed); }
