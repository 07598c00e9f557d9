#include "engine/snapshot_store.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zstd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "engine/snapshot_file.h"
#include "platform/paths.h"

namespace quorvex::engine {
namespace {

constexpr char kSuffix[] = ".qsnap";
// A temporary file this old was left by a write that never finished.
constexpr int64_t kStaleTempSeconds = 3600;

size_t MaxFileBytes() {
  return ZSTD_compressBound(kMaxSnapshotTextBytes) + 65536;
}

// The page's folder: a hash of its address in lower case, as pages compare addresses.
std::string PageKey(const std::string& url) {
  std::string lowered = url;
  std::transform(lowered.begin(), lowered.end(), lowered.begin(), [](unsigned char c) { return std::tolower(c); });
  char key[17];
  snprintf(key, sizeof key, "%016llx", static_cast<unsigned long long>(SnapshotTextHash(lowered)));
  return key;
}

bool IsSnapshotName(const std::string& name) {
  return name.size() > sizeof kSuffix && name[0] != '.' &&
         name.compare(name.size() - (sizeof kSuffix - 1), std::string::npos, kSuffix) == 0;
}

// A name that sorts after every earlier one: the fetch time first, then a stamp of the real clock in
// microseconds that only grows within the process (also across stores, and across a restart within one
// second of fetch time), then the process id, so two processes never write the same name.
std::string NewName(int64_t time) {
  static std::atomic<uint64_t> last{0};
  const uint64_t now = static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch())
          .count());
  uint64_t stamp = last.load();
  while (!last.compare_exchange_weak(stamp, std::max(stamp + 1, now))) {
  }
  stamp = std::max(stamp + 1, now);
  char name[64];
  snprintf(name, sizeof name, "%012lld-%017llu-%d%s", static_cast<long long>(std::max<int64_t>(time, 0)),
           static_cast<unsigned long long>(stamp), static_cast<int>(::getpid()), kSuffix);
  return name;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const struct dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
  }
  return names;
}

}  // namespace

std::string SnapshotFolder() {
  return platform::JoinPath(platform::CacheDir(), "snapshots");
}

SnapshotLimits SnapshotLimitsFromSettings(const settings::WDSettings& settings) {
  SnapshotLimits limits;
  limits.perPage = static_cast<size_t>(std::max(settings.m_nSnapshots, 0));
  limits.totalBytes = static_cast<uint64_t>(std::max(settings.m_nSnapshotSpace, 0)) << 20;
  return limits;
}

SnapshotStore::SnapshotStore(std::string folder) : folder_(std::move(folder)) {}

SnapshotStore::~SnapshotStore() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    stop_ = true;
  }
  wake_.notify_all();
  if (writer_.joinable()) writer_.join();
}

void SnapshotStore::SetLimits(const SnapshotLimits& limits) {
  std::lock_guard<std::mutex> hold(lock_);
  limits_ = limits;
}

bool SnapshotStore::Submit(const std::string& url, std::string text, int64_t time) {
  if (url.empty()) return false;
  auto item = std::make_shared<Pending>();
  item->key = PageKey(url);
  item->url = url;
  item->name = NewName(time);
  item->time = time;
  item->text = std::move(text);
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (limits_.perPage == 0 || queuedBytes_ + item->text.size() > kMaxQueuedBytes) return false;
    queuedBytes_ += item->text.size();
    queue_.push_back(std::move(item));
    if (!writer_.joinable()) writer_ = std::thread([this] { WriterLoop(); });
  }
  wake_.notify_one();
  return true;
}

void SnapshotStore::Flush() {
  std::unique_lock<std::mutex> hold(lock_);
  idle_.wait(hold, [this] { return queue_.empty() && !writing_; });
}

void SnapshotStore::WriterLoop() {
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    wake_.wait(hold, [this] { return stop_ || !queue_.empty(); });
    if (queue_.empty()) return;  // stopping, and everything is written
    writing_ = std::move(queue_.front());
    queue_.pop_front();
    queuedBytes_ -= writing_->text.size();
    const SnapshotLimits limits = limits_;
    hold.unlock();
    Write(*writing_, limits);
    hold.lock();
    writing_.reset();
    if (queue_.empty()) idle_.notify_all();
  }
}

void SnapshotStore::Write(const Pending& item, const SnapshotLimits& limits) {
  ScanOnce();
  const std::string pageFolder = platform::JoinPath(folder_, item.key);
  if (!platform::MakeFolders(pageFolder)) return;
  std::vector<Stored> stored = ListStored(item.key, item.url, true);
  if (!stored.empty() && stored.front().textHash == SnapshotTextHash(item.text)) return;  // no change
  SnapshotHeader header;
  header.url = item.url;
  header.time = item.time;
  const std::string bytes = EncodeSnapshot(header, item.text);
  // No flush to disk: a file torn by a power cut fails its checksum and reads as no snapshot, while
  // a sync per page would hold the writer up on every change.
  if (bytes.empty() || !platform::WriteFileAtomically(platform::JoinPath(pageFolder, item.name), bytes, nullptr,
                                                      platform::FlushToDisk::No)) {
    return;
  }
  totalBytes_ += bytes.size();
  files_[{item.name, item.key}] = bytes.size();
  // The new one is the newest: of the others, keep perPage - 1.
  for (size_t i = limits.perPage > 0 ? limits.perPage - 1 : 0; i < stored.size(); ++i) {
    Remove(item.key, stored[i].info.name);
  }
  while (totalBytes_ > limits.totalBytes && !files_.empty()) {
    const auto oldest = files_.begin()->first;
    Remove(oldest.second, oldest.first);
  }
}

void SnapshotStore::Remove(const std::string& key, const std::string& name) {
  const std::string pageFolder = platform::JoinPath(folder_, key);
  ::unlink(platform::JoinPath(pageFolder, name).c_str());
  auto it = files_.find({name, key});
  if (it != files_.end()) {
    totalBytes_ -= it->second;
    files_.erase(it);
  }
  // A page whose last snapshot went leaves no empty folder (fails harmlessly while files remain).
  ::rmdir(pageFolder.c_str());
}

void SnapshotStore::ScanOnce() {
  if (scanned_) return;
  scanned_ = true;
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  for (const std::string& key : FolderEntries(folder_)) {
    const std::string pageFolder = platform::JoinPath(folder_, key);
    for (const std::string& name : FolderEntries(pageFolder)) {
      struct stat st;
      const std::string path = platform::JoinPath(pageFolder, name);
      if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
      if (IsSnapshotName(name)) {
        files_[{name, key}] = static_cast<uint64_t>(st.st_size);
        totalBytes_ += static_cast<uint64_t>(st.st_size);
      } else if (name[0] == '.' && name.find(".tmp-") != std::string::npos && now - st.st_mtime > kStaleTempSeconds) {
        ::unlink(path.c_str());
      }
    }
  }
}

std::vector<SnapshotStore::Stored> SnapshotStore::ListStored(const std::string& key, const std::string& url,
                                                             bool removeBroken) const {
  const std::string pageFolder = platform::JoinPath(folder_, key);
  std::vector<Stored> out;
  for (const std::string& name : FolderEntries(pageFolder)) {
    if (!IsSnapshotName(name)) continue;
    std::string bytes;
    SnapshotHeader header;
    const std::string path = platform::JoinPath(pageFolder, name);
    const platform::ReadResult read = platform::ReadWholeFile(path, bytes, nullptr, MaxFileBytes());
    if (read == platform::ReadResult::Missing) continue;  // removed meanwhile
    if (read != platform::ReadResult::Ok || DecodeSnapshotHeader(bytes, header) != SnapshotDecode::Ok) {
      if (removeBroken) ::unlink(path.c_str());
      continue;
    }
    // Another address whose folder hash is the same: not this page's.
    if (strcasecmp(header.url.c_str(), url.c_str()) != 0) continue;
    out.push_back(Stored{SnapshotInfo{header.time, header.textBytes, name}, header.textHash});
  }
  std::sort(out.begin(), out.end(), [](const Stored& a, const Stored& b) { return a.info.name > b.info.name; });
  return out;
}

std::vector<SnapshotInfo> SnapshotStore::List(const std::string& url) const {
  const std::string key = PageKey(url);
  // The queue first: a text written between the two looks is then seen twice (and merged by name),
  // never missed.
  std::vector<std::shared_ptr<const Pending>> waiting;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (writing_ && writing_->key == key) waiting.push_back(writing_);
    for (const auto& item : queue_) {
      if (item->key == key) waiting.push_back(item);
    }
  }
  std::vector<Stored> all = ListStored(key, url, false);
  for (const auto& item : waiting) {
    if (strcasecmp(item->url.c_str(), url.c_str()) != 0) continue;
    if (std::any_of(all.begin(), all.end(), [&](const Stored& s) { return s.info.name == item->name; })) continue;
    all.push_back(Stored{SnapshotInfo{item->time, item->text.size(), item->name}, SnapshotTextHash(item->text)});
  }
  std::sort(all.begin(), all.end(), [](const Stored& a, const Stored& b) { return a.info.name < b.info.name; });
  // As the writer will decide: a text equal to the one before it is no snapshot.
  std::vector<SnapshotInfo> out;
  uint64_t previous = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    if (i == 0 || all[i].textHash != previous) out.push_back(all[i].info);
    previous = all[i].textHash;
  }
  std::reverse(out.begin(), out.end());
  return out;
}

std::optional<std::string> SnapshotStore::Read(const std::string& url, const SnapshotInfo& snapshot) const {
  const std::string key = PageKey(url);
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (writing_ && writing_->name == snapshot.name && writing_->key == key) return writing_->text;
    for (const auto& item : queue_) {
      if (item->name == snapshot.name && item->key == key) return item->text;
    }
  }
  if (!IsSnapshotName(snapshot.name) || snapshot.name.find('/') != std::string::npos) return std::nullopt;
  std::string bytes;
  const std::string path = platform::JoinPath(platform::JoinPath(folder_, key), snapshot.name);
  if (platform::ReadWholeFile(path, bytes, nullptr, MaxFileBytes()) != platform::ReadResult::Ok) return std::nullopt;
  SnapshotHeader header;
  std::string text;
  if (DecodeSnapshot(bytes, header, text) != SnapshotDecode::Ok || strcasecmp(header.url.c_str(), url.c_str()) != 0) {
    return std::nullopt;
  }
  return text;
}

std::optional<SnapshotStore::Pair> SnapshotStore::ReadPair(const std::string& url, size_t older, size_t newer) const {
  const std::vector<SnapshotInfo> list = List(url);
  if (older >= list.size() || newer >= list.size()) return std::nullopt;
  Pair pair{list[older], list[newer], {}, {}};
  auto olderText = Read(url, pair.older);
  auto newerText = Read(url, pair.newer);
  if (!olderText || !newerText) return std::nullopt;
  pair.olderText = std::move(*olderText);
  pair.newerText = std::move(*newerText);
  return pair;
}

}  // namespace quorvex::engine
