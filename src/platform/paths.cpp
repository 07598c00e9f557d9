#include "platform/paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/read_once_file.h"

namespace quorvex::platform {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string ErrnoText(int err) {
  return std::strerror(err);
}

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Follows a chain of symbolic links at path so that replacing the file keeps the links.
std::string ResolveLinks(const std::string& path) {
  std::string current = path;
  for (int depth = 0; depth < 40; ++depth) {
    struct stat st;
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::vector<char> target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<size_t>(n) >= target.size()) return current;
    std::string link(target.data(), static_cast<size_t>(n));
    current = link[0] == '/' ? link : JoinPath(FolderOf(current), link);
  }
  return current;
}

bool WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// This machine's name as it goes into temporary file names (no '/', never empty).
std::string HostTag() {
  char name[65] = {};
  if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
  std::string tag = name;
  for (char& c : tag) {
    if (c == '/') c = '_';
  }
  return tag;
}

// The start of every temporary file name for target's base name. The full name is
// TempPrefix(base) + host + "-" + pid + "-" + counter: a later save can tell which process of which
// machine left it. It starts with a dot so that folder listings and glob patterns of the program's
// own files do not pick it up.
std::string TempPrefix(const std::string& base) {
  return "." + base + ".tmp-";
}

// Opens a new, unique temporary file beside target.
int CreateTempBeside(const std::string& target, std::string& temp_path) {
  static std::atomic<unsigned> counter{0};
  const std::string stem =
      JoinPath(FolderOf(target), TempPrefix(BaseName(target))) + HostTag() + "-" + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp_path = stem + std::to_string(counter.fetch_add(1));
    int fd = ::open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

bool AllDigits(std::string_view text) {
  return !text.empty() && text.size() <= 10 && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// Removes the temporary files of target that a save of a process of this machine left behind when it
// was killed. Files of this process (another thread may be saving), of living processes and of other
// machines (a shared folder) are left alone.
void RemoveDeadLeftovers(const std::string& target) {
  const std::string folder = FolderOf(target);
  const std::string prefix = TempPrefix(BaseName(target));
  const std::string host = HostTag();
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  while (const struct dirent* entry = ::readdir(dir)) {
    std::string_view name = entry->d_name;
    if (name.substr(0, prefix.size()) != prefix) continue;
    name.remove_prefix(prefix.size());
    // host-pid-counter
    const size_t counter_dash = name.rfind('-');
    if (counter_dash == std::string_view::npos || counter_dash == 0 || !AllDigits(name.substr(counter_dash + 1)))
      continue;
    const size_t pid_dash = name.rfind('-', counter_dash - 1);
    if (pid_dash == std::string_view::npos || name.substr(0, pid_dash) != host) continue;
    const std::string_view pid_text = name.substr(pid_dash + 1, counter_dash - pid_dash - 1);
    if (!AllDigits(pid_text)) continue;
    const long long pid = std::stoll(std::string(pid_text));
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max() || pid == ::getpid()) continue;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    ::unlinkat(::dirfd(dir), entry->d_name, 0);
  }
  ::closedir(dir);
}

}  // namespace

std::string HomeDir() {
  std::string home = Env("HOME");
  if (!home.empty()) return home;
  struct passwd pw;
  struct passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (::getpwuid_r(::getuid(), &pw, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
    return found->pw_dir;
  return {};
}

std::string XdgConfigHome() {
  std::string dir = Env("XDG_CONFIG_HOME");
  if (!dir.empty() && dir[0] == '/') return dir;
  return JoinPath(HomeDir(), ".config");
}

std::string XdgDataHome() {
  std::string dir = Env("XDG_DATA_HOME");
  if (!dir.empty() && dir[0] == '/') return dir;
  return JoinPath(HomeDir(), ".local/share");
}

std::string ConfigDir() {
  std::string dir = Env("QUORVEX_CONFIG_DIR");
  if (!dir.empty()) return dir;
  return JoinPath(XdgConfigHome(), "Quorvex");
}

std::string XdgCacheHome() {
  std::string dir = Env("XDG_CACHE_HOME");
  if (!dir.empty() && dir[0] == '/') return dir;
  return JoinPath(HomeDir(), ".cache");
}

std::string CacheDir() {
  std::string dir = Env("QUORVEX_CACHE_DIR");
  if (!dir.empty()) return dir;
  return JoinPath(XdgCacheHome(), "Quorvex");
}

std::string DataDir() {
  return JoinPath(XdgDataHome(), "Quorvex");
}

std::string AutostartDir() {
  return JoinPath(XdgConfigHome(), "autostart");
}

std::string InstalledDataDir() {
  std::vector<char> exe(4096);
  ssize_t n = ::readlink("/proc/self/exe", exe.data(), exe.size() - 1);
  if (n > 0) {
    std::string bin_dir = FolderOf(std::string(exe.data(), static_cast<size_t>(n)));
    std::string installed = JoinPath(FolderOf(bin_dir), "share/quorvex");
    if (BaseName(bin_dir) == "bin" && IsDirectory(installed)) return installed;
  }
  return QUORVEX_SOURCE_DIR "/resources";
}

std::string FindOnPath(const std::string& name) {
  auto executable = [](const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
  };
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return executable(name) ? name : std::string();
  const std::string path = Env("PATH");
  size_t start = 0;
  while (start <= path.size()) {
    size_t colon = path.find(':', start);
    if (colon == std::string::npos) colon = path.size();
    std::string folder = path.substr(start, colon - start);
    // An empty entry means the current folder; a program found there is not trusted for opening pages.
    if (!folder.empty() && folder[0] == '/') {
      std::string candidate = JoinPath(folder, name);
      if (executable(candidate)) return candidate;
    }
    start = colon + 1;
  }
  return {};
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

bool MakeFolders(const std::string& folder, std::string* error) {
  if (folder.empty() || IsDirectory(folder)) return true;
  std::string parent = FolderOf(folder);
  if (parent != folder && !MakeFolders(parent, error)) return false;
  if (::mkdir(folder.c_str(), 0700) != 0 && !(errno == EEXIST && IsDirectory(folder))) {
    SetError(error, "cannot create folder " + folder + ": " + ErrnoText(errno));
    return false;
  }
  return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error, FlushToDisk flush) {
  if (path.empty()) {
    SetError(error, "cannot write a file without a name");
    return false;
  }
  const std::string target = ResolveLinks(path);
  std::string temp_path;
  int fd = CreateTempBeside(target, temp_path);
  if (fd < 0) {
    SetError(error, "cannot write " + path + ": cannot create a temporary file in " + FolderOf(target) + ": " +
                        ErrnoText(errno));
    return false;
  }
  auto fail = [&](const std::string& what, int err) {
    if (fd >= 0) ::close(fd);
    ::unlink(temp_path.c_str());
    SetError(error, "cannot write " + path + ": " + what + ": " + ErrnoText(err));
    return false;
  };
  struct stat old;
  if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    if (::fchmod(fd, old.st_mode & 07777) != 0) return fail("cannot keep the file's permissions", errno);
  }
  if (!WriteAll(fd, bytes)) return fail("writing failed", errno);
  if (flush == FlushToDisk::Yes && ::fsync(fd) != 0) return fail("flushing to disk failed", errno);
  int closing = ::close(fd);
  fd = -1;
  if (closing != 0) return fail("closing failed", errno);
  if (::rename(temp_path.c_str(), target.c_str()) != 0) return fail("cannot replace the file", errno);
  RemoveDeadLeftovers(target);
  if (flush == FlushToDisk::No) return true;
  // Makes the rename itself durable; a failure here leaves a complete file either way.
  int dir_fd = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd >= 0) {
    ::fsync(dir_fd);
    ::close(dir_fd);
  }
  return true;
}

int OpenRegularFile(const std::string& path, ReadResult& result, std::string* error) {
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    const int err = errno;
    result = err == ENOENT || err == ENOTDIR ? ReadResult::Missing : ReadResult::Failed;
    if (result == ReadResult::Failed) SetError(error, "cannot open " + path + ": " + ErrnoText(err));
    return -1;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    result = ReadResult::Failed;
    SetError(error, "cannot read " + path + ": not a regular file");
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  result = ReadResult::Ok;
  return fd;
}

ReadResult ReadWholeFile(const std::string& path, std::string& bytes, std::string* error, size_t max_bytes) {
  bytes.clear();
  ReadOnceFile file;
  const ReadResult result = file.Read(path, error, max_bytes);
  if (result == ReadResult::Ok) bytes.assign(file.bytes());
  return result;
}

ReadResult ReadFileStart(const std::string& path, std::string& bytes, std::string* error, size_t count) {
  bytes.clear();
  ReadResult result = ReadResult::Ok;
  const int fd = OpenRegularFile(path, result, error);
  if (fd < 0) return result;
  bytes.resize(count);
  size_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(fd, bytes.data() + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      SetError(error, "cannot read " + path + ": " + ErrnoText(errno));
      result = ReadResult::Failed;
      break;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  bytes.resize(result == ReadResult::Ok ? done : 0);
  return result;
}

}  // namespace quorvex::platform
