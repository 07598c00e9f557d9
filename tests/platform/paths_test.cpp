#include "platform/paths.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "support/temp_folder.h"

namespace quorvex::platform {
namespace {

using testing::ReadFileBytes;
using testing::ScopedEnv;
using testing::TempFolder;
using testing::WriteFileBytes;

size_t EntriesIn(const std::string& folder) {
  return std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator());
}

TEST(AtomicWrite, ReplacesWholeFilesOrKeepsTheOldOneAndLeavesNoTemporaryFile) {
  TempFolder dir;
  const std::string path = dir / "file.dat";
  std::string bytes("a\0b\nlast", 8);
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(path, bytes, &error)) << error;
  EXPECT_EQ(ReadFileBytes(path), bytes);
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(WriteFileAtomically(path, "", &error)) << error;
  EXPECT_EQ(ReadFileBytes(path), "");
  EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640))
      << "a replaced file keeps its permissions";
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
  // Written through a symbolic link, the link's target is replaced and the link stays.
  ASSERT_EQ(::symlink("file.dat", (dir / "link.dat").c_str()), 0);
  ASSERT_TRUE(WriteFileAtomically(dir / "link.dat", "precious"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.dat"));
  EXPECT_EQ(ReadFileBytes(path), "precious");

  // A missing folder: nothing can be created.
  EXPECT_FALSE(WriteFileAtomically(dir / "missing/x.dat", "data", &error));
  EXPECT_NE(error.find("missing/x.dat"), std::string::npos) << error;

  // A full disk, simulated by a file size limit: the write fails half way.
  struct rlimit old_limit;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old_limit;
  small.rlim_cur = 4;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  error.clear();
  bool written = WriteFileAtomically(path, "a much longer replacement", &error);
  ::setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_FALSE(written);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ReadFileBytes(path), "precious");
  EXPECT_EQ(EntriesIn(dir.Path()), 2u) << "the temporary file must be removed";

  // A folder that cannot be written (not for root, who may write anywhere).
  if (::geteuid() != 0) {
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0500), 0);
    EXPECT_FALSE(WriteFileAtomically(path, "replacement", &error));
    ::chmod(dir.Path().c_str(), 0700);
    EXPECT_EQ(ReadFileBytes(path), "precious");
    EXPECT_EQ(EntriesIn(dir.Path()), 2u);
  }

  // A folder in the way of the file: the rename fails, the folder stays.
  ASSERT_TRUE(std::filesystem::create_directory(dir / "taken"));
  EXPECT_FALSE(WriteFileAtomically(dir / "taken", "data", &error));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "taken"));
  EXPECT_EQ(EntriesIn(dir.Path()), 3u);
}

TEST(AtomicWrite, RemovesTemporaryFilesOfDeadProcessesOnly) {
  TempFolder dir;
  const std::string path = dir / "file.dat";
  char host[65] = {};
  ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ASSERT_GT(child, 0);
  ASSERT_EQ(::waitpid(child, nullptr, 0), child);
  auto temp = [&](const std::string& owner, pid_t pid) {
    return dir / (".file.dat.tmp-" + owner + "-" + std::to_string(pid) + "-0");
  };
  const std::string dead = temp(host, child);
  const std::string living = temp(host, ::getppid());
  const std::string elsewhere = temp("other-machine", child);
  for (const std::string& leftover : {dead, living, elsewhere}) WriteFileBytes(leftover, "half");
  ASSERT_TRUE(WriteFileAtomically(path, "saved"));
  EXPECT_FALSE(std::filesystem::exists(dead));
  EXPECT_TRUE(std::filesystem::exists(living));
  EXPECT_TRUE(std::filesystem::exists(elsewhere)) << "a process of another machine cannot be judged";
}

TEST(ReadWholeFile, ReadsOnlyRegularFilesWithinTheCap) {
  TempFolder dir;
  std::string bytes;
  std::string error;
  EXPECT_EQ(ReadWholeFile(dir / "none", bytes, &error, 100), ReadResult::Missing);
  EXPECT_EQ(ReadWholeFile(dir / "none/deeper", bytes, &error, 100), ReadResult::Missing);
  EXPECT_EQ(ReadWholeFile(dir.Path(), bytes, &error, 100), ReadResult::Failed);
  EXPECT_NE(error.find(dir.Path()), std::string::npos) << error;
  // A FIFO without a writer and a link to /dev/zero are refused at once, neither waited on nor read.
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", (dir / "zero").c_str()), 0);
  for (const char* name : {"fifo", "zero"}) {
    EXPECT_EQ(ReadWholeFile(dir / name, bytes, &error, 100), ReadResult::Failed) << name;
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    EXPECT_EQ(ReadFileStart(dir / name, bytes, nullptr, 4), ReadResult::Failed) << name;
  }
  // The cap: see the ReadOnceFile test.
  WriteFileBytes(dir / "big", std::string(100, 'x'));
  EXPECT_EQ(ReadFileStart(dir / "big", bytes, nullptr, 4), ReadResult::Ok);
  EXPECT_EQ(bytes, "xxxx");
  EXPECT_EQ(ReadFileStart(dir / "big", bytes, nullptr, 1000), ReadResult::Ok);
  EXPECT_EQ(bytes.size(), 100u);
}

TEST(Paths, FoldersFollowTheEnvironment) {
  ScopedEnv home("HOME", "/home/someone");
  {
    ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnv data("XDG_DATA_HOME", "relative/ignored");
    ScopedEnv cache("XDG_CACHE_HOME", std::nullopt);
    ScopedEnv quorvex("QUORVEX_CONFIG_DIR", "");
    ScopedEnv quorvex_cache("QUORVEX_CACHE_DIR", std::nullopt);
    EXPECT_EQ(ConfigDir(), "/home/someone/.config/Quorvex");
    EXPECT_EQ(DataDir(), "/home/someone/.local/share/Quorvex");
    EXPECT_EQ(CacheDir(), "/home/someone/.cache/Quorvex");
    EXPECT_EQ(AutostartDir(), "/home/someone/.config/autostart");
  }
  ScopedEnv config("XDG_CONFIG_HOME", "/cfg");
  ScopedEnv data("XDG_DATA_HOME", "/data");
  ScopedEnv quorvex("QUORVEX_CONFIG_DIR", "/elsewhere");
  EXPECT_EQ(ConfigDir(), "/elsewhere");
  EXPECT_EQ(DataDir(), "/data/Quorvex");
  EXPECT_EQ(AutostartDir(), "/cfg/autostart");

  std::string installed = InstalledDataDir();
  EXPECT_NE(installed, "/");
  EXPECT_TRUE(std::filesystem::exists(installed + "/Quorvex Agent.desktop")) << installed;
}

TEST(Paths, FindOnPathAndMakeFolders) {
  TempFolder dir;
  dir.Write("a/tool", "not executable");
  dir.Write("b/tool", "#!/bin/sh\n");
  ASSERT_EQ(::chmod((dir / "b/tool").c_str(), 0755), 0);
  std::filesystem::create_directories(dir / "c/tool");  // a folder is no program

  ScopedEnv path("PATH", "relative:" + dir / "c" + ":" + dir / "a" + "::" + dir / "b");
  EXPECT_EQ(FindOnPath("tool"), dir / "b/tool");
  EXPECT_EQ(FindOnPath("absent"), "");
  EXPECT_EQ(FindOnPath(dir / "b/tool"), dir / "b/tool");
  EXPECT_EQ(FindOnPath(""), "");
  ScopedEnv empty("PATH", std::nullopt);
  EXPECT_EQ(FindOnPath("tool"), "");

  // Folders are made with their parents; a file in the way is an error.
  std::string error;
  EXPECT_TRUE(MakeFolders(dir / "x/y/z", &error)) << error;
  EXPECT_TRUE(std::filesystem::is_directory(dir / "x/y/z"));
  WriteFileBytes(dir / "file", "");
  EXPECT_FALSE(MakeFolders(dir / "file/sub", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(JoinPath("a/", "b"), "a/b");
  EXPECT_EQ(JoinPath("", "b"), "b");
}

}  // namespace
}  // namespace quorvex::platform
