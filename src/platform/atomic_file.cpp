#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace quorvex::platform {
namespace {

bool SetError(std::string* error, const std::string& what, const std::string& path, int err) {
  if (error) *error = what + " \"" + path + "\": " + std::strerror(err);
  return false;
}

// Splits path into its folder and its file name.
void SplitPath(const std::string& path, std::string* dir, std::string* name) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    *dir = ".";
    *name = path;
  } else {
    *dir = slash == 0 ? "/" : path.substr(0, slash);
    *name = path.substr(slash + 1);
  }
}

// The file a write to path really replaces: the end of a chain of symbolic links.
std::string ResolveTarget(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* resolved = realpath(path.c_str(), nullptr);
  if (!resolved) return path;  // a dangling link is replaced like a file
  std::string target(resolved);
  std::free(resolved);
  return target;
}

bool WriteAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
  const std::string target = ResolveTarget(path);
  std::string dir, base;
  SplitPath(target, &dir, &base);

  static std::atomic<unsigned> counter{0};
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = dir + "/." + base + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return SetError(error, "cannot create a temporary file beside", target, errno);
  }
  if (fd < 0) return SetError(error, "cannot create a temporary file beside", target, EEXIST);

  struct stat old;
  if (::stat(target.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);

  int err = 0;
  if (!WriteAll(fd, bytes)) {
    err = errno;
  } else if (::fsync(fd) != 0) {
    err = errno;
  }
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp.c_str());
    return SetError(error, "cannot write", target, err);
  }
  // Make the rename itself durable; a failure here leaves a correct file, so it is not reported.
  int dir_fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd >= 0) {
    ::fsync(dir_fd);
    ::close(dir_fd);
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error) {
  bytes->clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return SetError(error, "cannot open", path, errno);
  struct stat st;
  int err = ::fstat(fd, &st) != 0 ? errno : (S_ISDIR(st.st_mode) ? EISDIR : 0);
  if (err != 0) {
    ::close(fd);
    return SetError(error, "cannot read", path, err);
  }
  // Read straight into the result; the size is only a hint (the file may grow or shrink meanwhile).
  size_t used = 0;
  bytes->resize(st.st_size > 0 ? static_cast<size_t>(st.st_size) + 1 : 65536);
  for (;;) {
    if (used == bytes->size()) bytes->resize(bytes->size() * 2);
    ssize_t n = ::read(fd, bytes->data() + used, bytes->size() - used);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      ::close(fd);
      bytes->clear();
      return SetError(error, "cannot read", path, err);
    }
    if (n == 0) break;
    used += static_cast<size_t>(n);
  }
  ::close(fd);
  bytes->resize(used);
  return true;
}

}  // namespace quorvex::platform
