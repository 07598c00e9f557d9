#include "platform/read_once_file.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_folder.h"

namespace quorvex::platform {
namespace {

using testing::TempFolder;

// Bytes that differ from their neighbours, so a piece read from the wrong place shows.
std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('A' + (i * 7 + i / 4096) % 26);
  return bytes;
}

// Missing, unreadable and refused files: see the ReadWholeFile test, which reads through this class.
TEST(ReadOnceFile, ReadsWholeFilesAndReleasesWholePieces) {
  TempFolder dir;
  ReadOnceFile file;
  std::string error;
  const std::string bytes = Pattern(9 * 1024 * 1024 + 5);
  dir.Write("data", bytes);
  EXPECT_EQ(file.Read(dir / "data", &error, bytes.size() - 1), ReadResult::Failed);
  EXPECT_NE(error.find("larger"), std::string::npos) << error;
  EXPECT_TRUE(file.bytes().empty());
  ASSERT_EQ(file.Read(dir / "data", &error, bytes.size()), ReadResult::Ok);
  EXPECT_TRUE(file.bytes() == bytes);

  // Less than a whole piece ahead of the start: nothing can go yet.
  file.Release(1000);
  EXPECT_EQ(file.released(), 0u);
  EXPECT_TRUE(file.bytes() == bytes);

  const size_t middle = 5 * 1024 * 1024 + 3;
  file.Release(middle);
  const size_t released = file.released();
  EXPECT_LE(released, middle);
  EXPECT_GT(released + 2 * ReadOnceFile::kReleaseGranule, middle);
  EXPECT_GT(released, 0u);
  // What was given back reads as zeros; everything after it is as in the file.
  EXPECT_EQ(file.bytes().substr(0, released), std::string(released, '\0'));
  EXPECT_TRUE(file.bytes().substr(released) == std::string_view(bytes).substr(released));

  file.Release(10);  // going back does nothing
  EXPECT_EQ(file.released(), released);
  file.Release(bytes.size() * 2);  // past the end counts as the end
  EXPECT_LE(file.released(), bytes.size());
  EXPECT_GE(file.released(), released);
  EXPECT_TRUE(file.bytes().substr(file.released()) == std::string_view(bytes).substr(file.released()));
  EXPECT_EQ(file.bytes().size(), bytes.size());

  // A second read replaces the first; an empty file is no failure.
  dir.Write("empty", "");
  ASSERT_EQ(file.Read(dir / "empty", &error, 10), ReadResult::Ok);
  EXPECT_TRUE(file.bytes().empty());
  // Files that report no size are read to their end all the same.
  ASSERT_EQ(file.Read("/proc/self/status", &error, kMaxSettingsFileBytes), ReadResult::Ok);
  EXPECT_NE(file.bytes().find("VmRSS"), std::string::npos);
  EXPECT_EQ(file.Read("/proc/self/status", &error, 10), ReadResult::Failed);
}

}  // namespace
}  // namespace quorvex::platform
