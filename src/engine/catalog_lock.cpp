#include "engine/catalog_lock.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/paths.h"

namespace quorvex::engine {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kRetryStep{20};
// A request line longer than this is not ours.
constexpr size_t kMaxLine = 256;

std::string RuntimeDir() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st {};
  if (runtime && runtime[0] == '/' && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode)) return runtime;
  const std::string folder = "/tmp/quorvex-" + std::to_string(::getuid());
  platform::MakeFolders(folder);
  return folder;
}

std::string AbsolutePath(const std::string& path) {
  if (char* real = ::realpath(path.c_str(), nullptr)) {
    std::string out = real;
    std::free(real);
    return out;
  }
  if (!path.empty() && path[0] == '/') return path;
  char cwd[4096];
  return ::getcwd(cwd, sizeof(cwd)) ? platform::JoinPath(cwd, path) : path;
}

// FNV-1a: a short, stable name for a path.
std::string PathHash(const std::string& text) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  static const char kHex[] = "0123456789abcdef";
  std::string out(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) out[i] = kHex[hash & 15];
  return out;
}

bool FillAddress(const std::string& path, sockaddr_un& address) {
  if (path.size() >= sizeof(address.sun_path)) return false;
  std::memset(&address, 0, sizeof(address));
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.data(), path.size());
  return true;
}

int Connect(const std::string& path) {
  sockaddr_un address;
  if (!FillAddress(path, address)) return -1;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool WriteLine(int fd, const std::string& line) {
  const std::string text = line + "\n";
  size_t sent = 0;
  while (sent < text.size()) {
    const ssize_t n = ::send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

// One line within timeout; false on time-out, end or error.
bool ReadLine(int fd, std::chrono::milliseconds timeout, std::string& line) {
  line.clear();
  const Clock::time_point deadline = Clock::now() + timeout;
  while (line.size() < kMaxLine) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    char c = 0;
    const ssize_t n = ::recv(fd, &c, 1, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    if (c == '\n') return true;
    line += c;
  }
  return false;
}

std::string PidText(int pid) {
  return pid > 0 ? "process " + std::to_string(pid) : "another process";
}

}  // namespace

std::string CatalogLockPath(const std::string& catalogPath) {
  return catalogPath + ".lock";
}

std::string OwnerSocketPath(const std::string& catalogPath) {
  return platform::JoinPath(RuntimeDir(), "quorvex-owner-" + PathHash(AbsolutePath(catalogPath)));
}

// ---- CatalogLock

CatalogLock::CatalogLock(std::string catalogPath) : path_(CatalogLockPath(catalogPath)) {}

CatalogLock::~CatalogLock() {
  Unlock();
  if (fd_ >= 0) ::close(fd_);
}

bool CatalogLock::Open(std::string* error) {
  if (fd_ >= 0) return true;
  const size_t slash = path_.rfind('/');
  if (slash != std::string::npos && slash > 0) platform::MakeFolders(path_.substr(0, slash));
  fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0 && error) *error = "cannot create the lock file " + path_ + ": " + std::strerror(errno);
  return fd_ >= 0;
}

bool CatalogLock::TryLock(std::string* error) {
  if (locked_) return true;
  if (!Open(error)) return false;
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (error) *error = "the catalog is locked by " + PidText(HolderPid());
    return false;
  }
  locked_ = true;
  const std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd_, 0) == 0) {
    [[maybe_unused]] const ssize_t written = ::pwrite(fd_, pid.data(), pid.size(), 0);
  }
  return true;
}

bool CatalogLock::LockWithin(std::chrono::milliseconds wait, std::string* error) {
  const Clock::time_point deadline = Clock::now() + wait;
  while (!TryLock(error)) {
    if (fd_ < 0 || Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kRetryStep);
  }
  return true;
}

void CatalogLock::Unlock() {
  if (!locked_) return;
  ::flock(fd_, LOCK_UN);
  locked_ = false;
}

int CatalogLock::HolderPid() const {
  const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char text[16] = {};
  const ssize_t n = ::pread(fd, text, sizeof(text) - 1, 0);
  ::close(fd);
  return n > 0 ? std::atoi(text) : 0;
}

// ---- CatalogOwner

CatalogOwner::~CatalogOwner() {
  Close();
}

bool CatalogOwner::Open(const std::string& catalogPath, std::string* error) {
  Close();
  catalog_ = catalogPath;
  socketPath_ = OwnerSocketPath(catalogPath);
  lock_ = std::make_unique<CatalogLock>(catalogPath);
  auto otherOwner = [&] {
    const int fd = Connect(socketPath_);
    if (fd < 0) return false;
    std::string answer;
    const bool owned = WriteLine(fd, "who") && ReadLine(fd, kOwnerAnswerWait, answer);
    ::close(fd);
    if (owned && error) {
      const int pid = answer.rfind("owner ", 0) == 0 ? std::atoi(answer.c_str() + 6) : 0;
      *error = "The catalog " + catalogPath + " is open in another Quorvex (" + PidText(pid) +
               "); it can have only one owner at a time.";
    }
    return owned;
  };
  if (!lock_->TryLock()) {
    // Held by an owner (refuse) or by a command (wait for it).
    if (otherOwner()) return false;
    std::string why;
    if (!lock_->LockWithin(kCommandWait, &why)) {
      if (error) *error = "The catalog " + catalogPath + " stays locked: " + why;
      return false;
    }
  }
  // An owner that let its lock go to a command still listens: it is the owner.
  if (otherOwner()) {
    lock_->Unlock();
    return false;
  }
  sockaddr_un address;
  listen_ = FillAddress(socketPath_, address) ? ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0) : -1;
  if (listen_ >= 0) {
    ::unlink(socketPath_.c_str());  // a dead owner's socket: we hold the lock, nobody listens there
    if (::bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || ::listen(listen_, 8) != 0) {
      ::close(listen_);
      listen_ = -1;
    }
  }
  if (listen_ < 0) {
    if (error) *error = "cannot listen on " + socketPath_ + ": " + std::strerror(errno);
    lock_->Unlock();
    return false;
  }
  return true;
}

void CatalogOwner::Close() {
  for (Client& client : clients_) ::close(client.fd);
  clients_.clear();
  if (listen_ >= 0) {
    ::close(listen_);
    ::unlink(socketPath_.c_str());
    listen_ = -1;
  }
  lock_.reset();
  released_ = false;
}

void CatalogOwner::Answer(Client& client, const std::string& line, const Hooks& hooks) {
  if (line == "who") {
    WriteLine(client.fd, "owner " + std::to_string(::getpid()));
  } else if (line == "release") {
    if (!released_) {
      std::string why;
      if (hooks.release && !hooks.release(why)) {
        WriteLine(client.fd, "refused " + why);
        return;
      }
      lock_->Unlock();
      released_ = true;
    }
    client.waiting = true;
    WriteLine(client.fd, "released");
  } else if (line == "reload") {
    client.reloaded = true;
    client.waiting = false;
  }
}

bool CatalogOwner::Serve(const Hooks& hooks) {
  if (listen_ < 0) return false;
  while (true) {
    const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) break;
    Client client;
    client.fd = fd;
    clients_.push_back(std::move(client));
  }
  for (Client& client : clients_) {
    char buffer[256];
    while (true) {
      const ssize_t n = ::recv(client.fd, buffer, sizeof(buffer), 0);
      if (n > 0) {
        client.input.append(buffer, static_cast<size_t>(n));
        continue;
      }
      if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        // Gone: a command that went away counts as done with the catalog.
        if (client.waiting) client.reloaded = true;
        client.waiting = false;
        ::close(client.fd);
        client.fd = -1;
      }
      break;
    }
    size_t newline;
    while (client.fd >= 0 && (newline = client.input.find('\n')) != std::string::npos) {
      const std::string line = client.input.substr(0, newline);
      client.input.erase(0, newline + 1);
      Answer(client, line, hooks);
    }
    if (client.input.size() > kMaxLine && client.fd >= 0) {
      ::close(client.fd);
      client.fd = -1;
    }
  }
  // Take the catalog back once every command is through and the lock is free.
  bool anyWaiting = false;
  for (const Client& client : clients_) anyWaiting = anyWaiting || (client.fd >= 0 && client.waiting);
  if (released_ && !anyWaiting && lock_->TryLock()) {
    released_ = false;
    if (hooks.reload) hooks.reload();
    for (Client& client : clients_) {
      if (client.reloaded && client.fd >= 0) WriteLine(client.fd, "done");
      client.reloaded = false;
    }
  }
  std::erase_if(clients_, [](const Client& client) { return client.fd < 0; });
  return released_ || !clients_.empty();
}

// ---- CatalogWriteLock

CatalogWriteLock::~CatalogWriteLock() {
  Release();
}

bool CatalogWriteLock::Acquire(const std::string& catalogPath, std::string* error) {
  Release();
  lock_ = std::make_unique<CatalogLock>(catalogPath);
  std::string why;
  if (lock_->TryLock(&why)) return true;
  const int owner = Connect(OwnerSocketPath(catalogPath));
  if (owner < 0) {
    // Another command: it ends soon.
    if (lock_->LockWithin(kCommandWait, &why)) return true;
    if (error) *error = why + " for too long; nothing was changed";
    return false;
  }
  std::string answer;
  if (!WriteLine(owner, "release") || !ReadLine(owner, kOwnerAnswerWait, answer) || answer != "released") {
    ::close(owner);
    if (error) {
      *error = "the Quorvex that has the catalog open (" + PidText(lock_->HolderPid()) + ") " +
               (answer.rfind("refused ", 0) == 0 ? "could not let it go: " + answer.substr(8)
                                                 : std::string("did not answer")) +
               "; nothing was changed";
    }
    return false;
  }
  owner_ = owner;
  // Other commands asked the owner too: the lock serialises us.
  if (!lock_->LockWithin(kCommandWait, &why)) {
    Release();
    if (error) *error = why + " for too long; nothing was changed";
    return false;
  }
  return true;
}

void CatalogWriteLock::Release() {
  if (lock_) lock_->Unlock();
  lock_.reset();
  if (owner_ < 0) return;
  std::string answer;
  if (WriteLine(owner_, "reload")) ReadLine(owner_, kOwnerAnswerWait, answer);
  ::close(owner_);
  owner_ = -1;
}

}  // namespace quorvex::engine
