#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace quorvex::platform {
namespace {

namespace fs = std::filesystem;

class AtomicFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "quorvex-atomic-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  size_t EntryCount() const {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++n;
    return n;
  }

  fs::path dir_;
};

TEST_F(AtomicFile, WritesReplacesAndReadsBack) {
  const std::string path = Path("maindata.dat");
  std::string error;
  const std::string first("one\0two", 7);
  ASSERT_TRUE(WriteFileAtomically(path, first, &error)) << error;
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, &bytes, &error)) << error;
  EXPECT_EQ(bytes, first);

  // Replacing keeps the file's permission bits and leaves no temporary file behind.
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  const std::string second(200000, 'x');
  ASSERT_TRUE(WriteFileAtomically(path, second, &error)) << error;
  ASSERT_TRUE(ReadWholeFile(path, &bytes, &error));
  EXPECT_EQ(bytes, second);
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(EntryCount(), 1u);

  ASSERT_TRUE(WriteFileAtomically(path, "", &error));
  ASSERT_TRUE(ReadWholeFile(path, &bytes, &error));
  EXPECT_TRUE(bytes.empty());
}

TEST_F(AtomicFile, ASymbolicLinkKeepsPointingAtTheReplacedFile) {
  const std::string target = Path("real.dat");
  const std::string link = Path("link.dat");
  ASSERT_TRUE(WriteFileAtomically(target, "old", nullptr));
  fs::create_symlink(target, link);
  ASSERT_TRUE(WriteFileAtomically(link, "new", nullptr));
  EXPECT_TRUE(fs::is_symlink(link));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(target, &bytes, nullptr));
  EXPECT_EQ(bytes, "new");
}

TEST_F(AtomicFile, FailuresAreReportedAndLeaveTheOldFile) {
  std::string error;
  EXPECT_FALSE(WriteFileAtomically(Path("missing/folder/file.dat"), "x", &error));
  EXPECT_NE(error.find("missing/folder"), std::string::npos) << error;

  // A folder standing where the file should go: the rename fails, the folder and its content stay.
  const std::string blocked = Path("blocked");
  fs::create_directory(blocked);
  ASSERT_TRUE(WriteFileAtomically(Path("blocked/inner"), "keep", nullptr));
  EXPECT_FALSE(WriteFileAtomically(blocked, "x", &error));
  EXPECT_TRUE(fs::is_directory(blocked));
  EXPECT_EQ(EntryCount(), 1u);  // no temporary file left behind

  std::string bytes = "stale";
  EXPECT_FALSE(ReadWholeFile(Path("absent.dat"), &bytes, &error));
  EXPECT_TRUE(bytes.empty());
  EXPECT_NE(error.find("absent.dat"), std::string::npos);
  EXPECT_FALSE(ReadWholeFile(blocked, &bytes, &error));
}

}  // namespace
}  // namespace quorvex::platform
