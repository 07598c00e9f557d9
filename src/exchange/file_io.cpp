#include "exchange/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace quorvex::exchange {
namespace {

std::atomic<unsigned> g_counter{0};

bool Fail(std::string* error, const std::string& what, int code) {
  if (error) *error = what + ": " + std::strerror(code);
  return false;
}

}  // namespace

bool WriteFileReplacing(const std::string& path, std::string_view bytes, std::string* error) {
  if (path.empty() || path.back() == '/') return Fail(error, "no file name", EINVAL);
  size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);

  std::string temp;
  int fd = -1;
  // O_EXCL with a fresh name per try; the mode lets the umask decide as for any new file.
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = folder + "." + name + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(g_counter++);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return Fail(error, "cannot create " + path, errno);
  }
  if (fd < 0) return Fail(error, "cannot create " + path, EEXIST);

  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0) {
      int code = errno;
      ::close(fd);
      ::unlink(temp.c_str());
      return Fail(error, "cannot write " + path, code);
    }
    done += static_cast<size_t>(wrote);
  }
  int code = ::fsync(fd) == 0 ? 0 : errno;
  if (::close(fd) != 0 && code == 0) code = errno;
  if (code != 0) {
    ::unlink(temp.c_str());
    return Fail(error, "cannot write " + path, code);
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    code = errno;
    ::unlink(temp.c_str());
    return Fail(error, "cannot replace " + path, code);
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::string& out, std::string* error) {
  out.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Fail(error, "cannot open " + path, errno);
  struct stat info;
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return Fail(error, "cannot open " + path, EISDIR);
  }
  char buffer[16384];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      int code = errno;
      ::close(fd);
      return Fail(error, "cannot read " + path, code);
    }
    if (got == 0) break;
    out.append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  return true;
}

}  // namespace quorvex::exchange
