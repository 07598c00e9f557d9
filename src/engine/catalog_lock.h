#pragma once
// One writer per catalog file. A program that keeps a catalog open (the agent, the desktop program)
// is its owner: it holds an exclusive lock on a lock file beside the catalog (the catalog itself is
// replaced by rename at every save, so it cannot carry the lock) and listens on a local socket named
// after the catalog in the user's runtime folder. A one-shot command that changes the catalog takes
// the lock for its whole read-change-write; when an owner holds it, the command asks the owner to save
// and let go, makes its change, and tells the owner to load the catalog again. Two commands at once
// are serialised by the lock. Readers take no lock: they read the last saved file.
//
// The protocol, one line each way: "release" -> "released" (or "refused REASON"); then, once the
// command has saved and unlocked, "reload" -> "done". "who" -> "owner PID". A command that disappears
// counts as "reload".
//
// Thread: the UI thread of the process (the owner serves from its event loop). POSIX only.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quorvex::engine {

// How long a command waits for an owner's answer, and for another command to finish.
inline constexpr std::chrono::milliseconds kOwnerAnswerWait{5000};
inline constexpr std::chrono::milliseconds kCommandWait{15000};

// "<catalog>.lock".
std::string CatalogLockPath(const std::string& catalogPath);
// The owner's socket: the runtime folder ($XDG_RUNTIME_DIR, else a private folder in /tmp) and a
// name made from the catalog's absolute path, so two paths to one file share it.
std::string OwnerSocketPath(const std::string& catalogPath);

// The lock itself: flock on the lock file, the holder's process id written into it. A lock dies with
// its process, so a crash never leaves the catalog locked.
class CatalogLock {
 public:
  explicit CatalogLock(std::string catalogPath);
  ~CatalogLock();
  CatalogLock(const CatalogLock&) = delete;
  CatalogLock& operator=(const CatalogLock&) = delete;

  bool TryLock(std::string* error = nullptr);
  // Tries until wait has passed.
  bool LockWithin(std::chrono::milliseconds wait, std::string* error = nullptr);
  void Unlock();
  bool IsLocked() const { return locked_; }
  // The process id written by the holder; 0 when unknown.
  int HolderPid() const;

 private:
  bool Open(std::string* error);

  std::string path_;
  int fd_ = -1;
  bool locked_ = false;
};

// The owner's side. Open takes the lock (refusing when another owner has the catalog) and listens;
// the program then calls Serve from its loop whenever the socket may have something (or a few times
// a second), and keeps its hands off the catalog while IsReleased.
class CatalogOwner {
 public:
  struct Hooks {
    // Finish or stop the running fetches and save; false (with a reason) keeps the lock.
    std::function<bool(std::string& error)> release;
    // Load the catalog file again: a command changed it.
    std::function<void()> reload;
  };

  CatalogOwner() = default;
  ~CatalogOwner();
  CatalogOwner(const CatalogOwner&) = delete;
  CatalogOwner& operator=(const CatalogOwner&) = delete;

  // False with a message naming the other owner's process id when one has the catalog open, or when
  // a command held the lock for longer than kCommandWait.
  bool Open(const std::string& catalogPath, std::string* error);
  void Close();
  bool IsOpen() const { return listen_ >= 0; }

  // Answers what has arrived; never blocks for long. Returns true while commands are being served
  // (call again soon).
  bool Serve(const Hooks& hooks);
  // The lock is let go: a command is changing the catalog.
  bool IsReleased() const { return released_; }
  // The listening socket, for a notifier on the event loop.
  int ListenFd() const { return listen_; }

 private:
  struct Client {
    int fd = -1;
    std::string input;
    bool waiting = false;   // released to it, its "reload" not yet here
    bool reloaded = false;  // said "reload" (or went away): answer "done" once the lock is back
  };
  void Answer(Client& client, const std::string& line, const Hooks& hooks);

  std::string catalog_;
  std::string socketPath_;
  std::unique_ptr<CatalogLock> lock_;
  int listen_ = -1;
  std::vector<Client> clients_;
  bool released_ = false;
};

// The one-shot command's side: the lock for a read-change-write.
class CatalogWriteLock {
 public:
  CatalogWriteLock() = default;
  // Release.
  ~CatalogWriteLock();
  CatalogWriteLock(const CatalogWriteLock&) = delete;
  CatalogWriteLock& operator=(const CatalogWriteLock&) = delete;

  // Takes the lock, asking an owner to let go first. False, with a message that says nothing was
  // changed, when the owner does not answer within kOwnerAnswerWait or another command holds the lock
  // for longer than kCommandWait.
  bool Acquire(const std::string& catalogPath, std::string* error);
  // Unlocks and tells the owner, if there is one, to load the catalog again (waiting a little for it).
  void Release();

 private:
  std::unique_ptr<CatalogLock> lock_;
  int owner_ = -1;
};

}  // namespace quorvex::engine
