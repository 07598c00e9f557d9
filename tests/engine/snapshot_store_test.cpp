// The page snapshot store on real files: what it keeps, what it lets go, and what it refuses to read.
#include "engine/snapshot_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "engine/snapshot_file.h"
#include "support/temp_folder.h"

namespace quorvex::engine {
namespace {

namespace fs = std::filesystem;
constexpr char kUrl[] = "http://shop.example.com/Prices";

std::vector<int64_t> Times(const SnapshotStore& store, const std::string& url) {
  std::vector<int64_t> times;
  for (const SnapshotInfo& info : store.List(url)) times.push_back(info.time);
  return times;
}

// Text that zstd cannot shrink, so file sizes are known.
std::string Noise(size_t bytes, unsigned seed) {
  std::mt19937 random(seed);
  std::string text(bytes, ' ');
  for (char& c : text) c = static_cast<char>(random());
  return text;
}

std::vector<fs::path> Files(const std::string& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(SnapshotStore, KeepsOnlyChangesRotatesAtTheCountAndTheSpaceAndSkipsBrokenFiles) {
  testing::TempFolder dir;
  {
    SnapshotStore store(dir.Path());
    store.SetLimits({3, uint64_t{1} << 30});
    for (int i = 0; i < 5; ++i) {
      store.Submit(kUrl, "text " + std::to_string(i), 100 + i);
      store.Submit(kUrl, "text " + std::to_string(i), 200 + i);  // unchanged: no snapshot
    }
    // What still waits to be written is read as well.
    EXPECT_EQ(store.Read(kUrl, store.List(kUrl).front()), "text 4");
    store.Flush();
    EXPECT_EQ(Times(store, kUrl), (std::vector<int64_t>{104, 103, 102}));
    // Letter case aside, an address is one page, as the catalog sees it.
    const auto list = store.List("HTTP://SHOP.example.com/prices");
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(store.Read(kUrl, list[0]), "text 4");
    EXPECT_EQ(store.ReadPair(kUrl)->olderText, "text 3");
    EXPECT_FALSE(store.ReadPair(kUrl, 3, 0));
    store.SetLimits({0, uint64_t{1} << 30});
    EXPECT_FALSE(store.Submit(kUrl, "off", 300));
  }
  // The space: files of all pages together, the oldest first, also those of an earlier run.
  testing::TempFolder space;
  const uint64_t fileBytes = [&] {
    SnapshotStore store(space.Path());
    store.SetLimits({10, 10000});
    store.Submit("http://a/", Noise(4000, 1), 1);
    store.Submit("http://b/", Noise(4000, 2), 2);
    store.Submit("http://a/", Noise(4000, 3), 3);
    store.Flush();
    EXPECT_TRUE(Times(store, "http://a/") == std::vector<int64_t>{3});
    EXPECT_TRUE(Times(store, "http://b/") == std::vector<int64_t>{2});
    return fs::file_size(Files(space.Path()).front());
  }();
  EXPECT_GT(fileBytes, 4000u);
  SnapshotStore again(space.Path());
  again.SetLimits({10, 10000});
  again.Submit("http://c/", Noise(4000, 4), 4);
  again.Flush();
  EXPECT_TRUE(again.List("http://b/").empty());
  EXPECT_EQ(Times(again, "http://a/"), std::vector<int64_t>{3});
  EXPECT_EQ(Files(space.Path()).size(), 2u);

  // A cut or damaged file is no snapshot.
  testing::TempFolder crashed;
  SnapshotStore store(crashed.Path());
  store.Submit(kUrl, "first\n", 1);
  store.Submit(kUrl, "second\n", 2);
  store.Flush();
  const std::vector<fs::path> files = Files(crashed.Path());
  ASSERT_EQ(files.size(), 2u);
  const std::string whole = testing::ReadFileBytes(files[1].string());
  // Every cut is recognised, and so is a damaged byte of the text.
  SnapshotHeader header;
  std::string text;
  for (size_t length = 0; length < whole.size(); ++length) {
    ASSERT_EQ(DecodeSnapshotHeader(whole.substr(0, length), header), SnapshotDecode::Broken) << length;
  }
  std::string damaged = whole;
  damaged[damaged.size() - 6] ^= 0x20;
  EXPECT_EQ(DecodeSnapshot(damaged, header, text), SnapshotDecode::Broken);
  ASSERT_EQ(DecodeSnapshot(whole, header, text), SnapshotDecode::Ok);
  EXPECT_EQ(text, "second\n");
  EXPECT_EQ(header.url, kUrl);

  // A crash cut the newest file: the page's newest snapshot is then the one before.
  const auto listed = store.List(kUrl);
  fs::resize_file(files[1], whole.size() / 2);
  EXPECT_EQ(Times(store, kUrl), std::vector<int64_t>{1});
  EXPECT_FALSE(store.Read(kUrl, listed[0]));
  testing::WriteFileBytes((files[0].parent_path() / "000000000005-junk.qsnap").string(), "QVXSNAP1\nnot this\n");
  EXPECT_EQ(Times(store, kUrl), std::vector<int64_t>{1});
  // So the same text again is a change, and the writer clears the broken files away.
  store.Submit(kUrl, "second\n", 3);
  store.Flush();
  EXPECT_EQ(Times(store, kUrl), (std::vector<int64_t>{3, 1}));
  EXPECT_EQ(Files(crashed.Path()).size(), 2u);
  EXPECT_TRUE(SnapshotStore(crashed / "missing").List(kUrl).empty());
}

}  // namespace
}  // namespace quorvex::engine
