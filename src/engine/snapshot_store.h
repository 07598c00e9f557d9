#pragma once
// Page snapshots: the text of a page as its beacons matched it (converted, CR removed, cut at the page
// limit), kept whenever it changed, so that "what changed on the page?" has an answer. They live
// outside the catalog, in SnapshotFolder(), one folder per page address (a hash of the address in
// lower case, the address itself in every file), so a beacon moved to another page sees that page's
// snapshots, and catalogs sharing the folder share the snapshots of the pages they share. A deleted
// page's snapshots stay until the space limit takes them (another catalog may still watch the page).
// Losing them never loses catalog data. Layout and file format: doc/snapshot-format.md.
//
// Threads: Submit from one thread (the UI thread); the store's own writer thread compares,
// compresses, writes and rotates, so Submit only hands the text over. Every other member may be
// called from any thread. A file is written under a temporary name and renamed, and checked whole
// when read: a snapshot is there entirely or not at all, and a broken or missing file is "no snapshot".
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "settings/settings.h"

namespace quorvex::engine {

// platform::CacheDir()/snapshots.
std::string SnapshotFolder();

struct SnapshotLimits {
  size_t perPage = 10;                        // snapshots kept per page address; 0 stores nothing
  uint64_t totalBytes = uint64_t{200} << 20;  // all snapshot files together; the oldest go first
};
// COMMON.Snapshots and COMMON.SnapshotSpace (MB); negative values count as 0.
SnapshotLimits SnapshotLimitsFromSettings(const settings::WDSettings& settings);

struct SnapshotInfo {
  int64_t time = 0;      // of the fetch, seconds since 1970 UTC
  size_t textBytes = 0;  // the length of the text
  std::string name;      // identifies the snapshot among those of its page
};

class SnapshotStore {
 public:
  // Text waiting to be written beyond this is not queued (its change is not kept): a writer that falls
  // behind never costs unbounded memory.
  static constexpr size_t kMaxQueuedBytes = size_t{64} << 20;

  explicit SnapshotStore(std::string folder = SnapshotFolder());
  // Writes what is still queued, then ends the writer.
  ~SnapshotStore();
  SnapshotStore(const SnapshotStore&) = delete;
  SnapshotStore& operator=(const SnapshotStore&) = delete;

  // Takes effect for the texts submitted from now on.
  void SetLimits(const SnapshotLimits& limits);
  // Hands text, the page text of url fetched at time, to the writer and returns at once. The writer
  // stores it unless it equals the page's newest snapshot, then removes the page's oldest snapshots
  // beyond the count and the oldest snapshots of all pages beyond the space. False (nothing queued)
  // with a count of 0, an empty address, or while the queue is full.
  bool Submit(const std::string& url, std::string text, int64_t time);
  // Waits until everything submitted so far is written.
  void Flush();

  // The snapshots of url, newest first, those still waiting to be written included.
  std::vector<SnapshotInfo> List(const std::string& url) const;
  // The text of a snapshot of url that List gave; nullopt when it is gone or broken.
  std::optional<std::string> Read(const std::string& url, const SnapshotInfo& snapshot) const;

  // Texts of snapshot numbers older and newer counted back from the newest (0), as List orders them:
  // the pair a "changes" view compares. nullopt when either is missing or unreadable.
  struct Pair {
    SnapshotInfo older, newer;
    std::string olderText, newerText;
  };
  std::optional<Pair> ReadPair(const std::string& url, size_t older = 1, size_t newer = 0) const;

 private:
  struct Pending {
    std::string key;  // the page's folder
    std::string url;
    std::string name;
    int64_t time = 0;
    std::string text;
  };
  struct Stored {
    SnapshotInfo info;
    uint64_t textHash = 0;
  };

  void WriterLoop();
  void Write(const Pending& item, const SnapshotLimits& limits);
  // The page's snapshot files on disk, newest first; broken files are skipped (and removed with
  // removeBroken, which only the writer asks for).
  std::vector<Stored> ListStored(const std::string& key, const std::string& url, bool removeBroken) const;
  // Writer thread: the sizes of all snapshot files, taken from the folder once.
  void ScanOnce();
  void Remove(const std::string& key, const std::string& name);

  const std::string folder_;
  mutable std::mutex lock_;
  std::condition_variable wake_;  // the writer: work or stop
  std::condition_variable idle_;  // Flush: the queue ran empty
  std::deque<std::shared_ptr<const Pending>> queue_;
  std::shared_ptr<const Pending> writing_;  // taken from the queue, not yet on disk
  size_t queuedBytes_ = 0;
  SnapshotLimits limits_;
  bool stop_ = false;
  std::thread writer_;  // started by the first Submit

  // Writer thread only: every snapshot file by (name, page folder) with its size; names begin with
  // the time, so the first is the oldest.
  bool scanned_ = false;
  std::map<std::pair<std::string, std::string>, uint64_t> files_;
  uint64_t totalBytes_ = 0;
};

}  // namespace quorvex::engine
