#include "platform/read_once_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace quorvex::platform {
namespace {

size_t PageSize() {
  static const size_t size = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  return size;
}

size_t RoundUpToPage(size_t n) {
  const size_t page = PageSize();
  return (n + page - 1) / page * page;
}

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

// read() that retries after a signal.
ssize_t ReadSome(int fd, char* into, size_t length) {
  for (;;) {
    const ssize_t n = ::read(fd, into, length);
    if (n >= 0 || errno != EINTR) return n;
  }
}

}  // namespace

ReadOnceFile::~ReadOnceFile() {
  Unmap();
}

void ReadOnceFile::Unmap() {
  if (data_) ::munmap(data_, capacity_);
  data_ = nullptr;
  size_ = 0;
  capacity_ = 0;
  released_ = 0;
}

bool ReadOnceFile::Grow(size_t at_least) {
  const size_t capacity = RoundUpToPage(std::max(at_least, capacity_ * 2));
  void* fresh = ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (fresh == MAP_FAILED) return false;
  // Huge pages where the system offers them: filling 4 KiB pages one fault at a time costs more
  // than reading the file, and walking them later misses the TLB. Release gives back whole ones.
  ::madvise(fresh, capacity, MADV_HUGEPAGE);
  if (data_) {
    std::memcpy(fresh, data_, size_);
    ::munmap(data_, capacity_);
  }
  data_ = static_cast<char*>(fresh);
  capacity_ = capacity;
  return true;
}

ReadResult ReadOnceFile::Read(const std::string& path, std::string* error, size_t max_bytes) {
  Unmap();
  ReadResult opened = ReadResult::Ok;
  const int fd = OpenRegularFile(path, opened, error);
  if (fd < 0) return opened;
  auto fail = [&](const std::string& why) {
    ::close(fd);
    Unmap();
    SetError(error, "cannot read " + path + ": " + why);
    return ReadResult::Failed;
  };
  const std::string too_large = "the file is larger than " + std::to_string(max_bytes) + " bytes";
  struct stat st;
  if (::fstat(fd, &st) != 0) return fail(std::strerror(errno));
  const size_t expected = static_cast<size_t>(st.st_size);
  if (expected > max_bytes) return fail(too_large);
  if (expected > 0 && !Grow(expected)) return fail(std::strerror(errno));
  for (;;) {
    if (size_ < capacity_) {
      const ssize_t n = ReadSome(fd, data_ + size_, capacity_ - size_);
      if (n < 0) return fail(std::strerror(errno));
      if (n == 0) break;
      size_ += static_cast<size_t>(n);
      if (size_ > max_bytes) return fail(too_large);
      continue;
    }
    // Full as the size said: make sure the file ends here (files of /proc report no size at all).
    char probe[4096];
    const ssize_t n = ReadSome(fd, probe, sizeof probe);
    if (n < 0) return fail(std::strerror(errno));
    if (n == 0) break;
    if (size_ + static_cast<size_t>(n) > max_bytes) return fail(too_large);
    if (!Grow(size_ + static_cast<size_t>(n))) return fail(std::strerror(errno));
    std::memcpy(data_ + size_, probe, static_cast<size_t>(n));
    size_ += static_cast<size_t>(n);
  }
  ::close(fd);
  return ReadResult::Ok;
}

void ReadOnceFile::Release(size_t offset) {
  if (!data_) return;
  offset = std::min(offset, size_);
  const uintptr_t base = reinterpret_cast<uintptr_t>(data_);
  const uintptr_t end = (base + offset) / kReleaseGranule * kReleaseGranule;
  if (end <= base + released_) return;
  // Private anonymous memory: the pages are freed now and would come back as zeros.
  ::madvise(data_ + released_, end - base - released_, MADV_DONTNEED);
  released_ = end - base;
}

}  // namespace quorvex::platform
