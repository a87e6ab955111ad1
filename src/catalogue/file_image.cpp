#include "catalogue/file_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

nlsMemory allocate(std::uint64_t size) {
  // Not zeroed: every byte is written when its chunk is read.
  auto* bytes = static_cast<char*>(std::malloc(size));
  if (bytes == nullptr) throw std::bad_alloc();
  return nlsMemory(bytes);
}

}  // namespace

nlsFileImage::nlsFileImage(nlsMemory memory, std::uint64_t size, int fd)
    : memory_(std::move(memory)), bytes_(memory_.get()), size_(size), fd_(fd), complete_(fd < 0), readable_(size) {}

nlsFileImage::~nlsFileImage() {
  if (fd_ >= 0) ::close(fd_);
}

std::unique_ptr<nlsFileImage> nlsFileImage::open(const char* path, std::string* problem) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *problem = errno == ENOENT ? "missing" : std::string("unreadable: ") + std::strerror(errno);
    return nullptr;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    *problem = "not a regular file";
    return nullptr;
  }
  if (st.st_size == 0) {
    ::close(fd);
    *problem = "malformed: empty file";
    return nullptr;
  }
  const auto size = static_cast<std::uint64_t>(st.st_size);
  const std::uint64_t chunks = (size + (1u << kChunkBits) - 1) >> kChunkBits;
  try {
    std::unique_ptr<nlsFileImage> image(new nlsFileImage(allocate(size), size, fd));
    image->chunks_.reset(new std::atomic<std::uint64_t>[(chunks + 63) / 64]());
    return image;
  } catch (const std::bad_alloc&) {
    ::close(fd);
    *problem = "unreadable: too large for memory";
    return nullptr;
  }
}

std::unique_ptr<nlsFileImage> nlsFileImage::copy(const void* bytes, std::size_t size, std::string* problem) {
  try {
    nlsMemory memory = allocate(size);
    std::memcpy(memory.get(), bytes, size);
    return std::unique_ptr<nlsFileImage>(new nlsFileImage(std::move(memory), size, -1));
  } catch (const std::bad_alloc&) {
    *problem = "unreadable: too large for memory";
    return nullptr;
  }
}

void nlsFileImage::need(std::uint64_t offset, std::uint64_t length) const {
  const std::uint64_t first = offset >> kChunkBits;
  const std::uint64_t last = (offset + (length > 0 ? length - 1 : 0)) >> kChunkBits;
  for (std::uint64_t c = first; c <= last; ++c)
    if (!has(c)) {
      // The lock is taken only while some of the file is still unread.
      std::lock_guard<std::mutex> hold(reading_);
      read_chunks(c, last);
      return;
    }
}

void nlsFileImage::read_chunks(std::uint64_t first, std::uint64_t last) const {
  const std::uint64_t end_chunk = (size_ + (1u << kChunkBits) - 1) >> kChunkBits;
  for (std::uint64_t c = first; c <= last && c < end_chunk;) {
    if (has(c)) {
      ++c;
      continue;
    }
    // One read for a run of chunks not read yet.
    std::uint64_t run_end = c + 1;
    while (run_end <= last && run_end < end_chunk && !has(run_end)) ++run_end;
    const std::uint64_t from = c << kChunkBits;
    const std::uint64_t to = run_end << kChunkBits < size_ ? run_end << kChunkBits : size_;
    for (std::uint64_t done = from; done < to;) {
      const ssize_t n = ::pread(fd_, bytes_ + done, to - done, static_cast<off_t>(done));
      if (n > 0) done += static_cast<std::uint64_t>(n);
      else if (n < 0 && errno == EINTR) continue;
      else {
        // Cut, or unreadable now: what is missing reads as zeros, and no
        // string reaching it counts as the file's.
        std::memset(bytes_ + done, 0, to - done);
        if (done < readable_.load(std::memory_order_relaxed)) readable_.store(done, std::memory_order_release);
        break;
      }
    }
    for (; c < run_end; ++c) chunks_[c >> 6].fetch_or(std::uint64_t{1} << (c & 63), std::memory_order_release);
  }
}

void nlsFileImage::read_all() const {
  if (complete_.load(std::memory_order_acquire)) return;
  std::lock_guard<std::mutex> hold(reading_);
  if (complete_.load(std::memory_order_relaxed)) return;
  read_chunks(0, (size_ - 1) >> kChunkBits);
  ::close(fd_);
  fd_ = -1;
  complete_.store(true, std::memory_order_release);
}
