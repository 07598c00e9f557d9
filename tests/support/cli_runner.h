#pragma once
// Runs quorvex-cli commands in-process and captures what they print; starts child processes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/command.h"

extern char** environ;

namespace quorvex::testing {

struct CliResult {
  int status = 0;
  std::string out;
  std::string err;
};

inline CliResult RunCliCommand(const std::vector<std::string>& args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  cli::CommandIo io{in, out, err};
  CliResult result;
  result.status = cli::RunCli(args, io);
  result.out = out.str();
  result.err = err.str();
  return result;
}

// Passes when text holds part; a failure shows the whole text.
inline ::testing::AssertionResult Holds(const std::string& text, const std::string& part) {
  if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
}

// Starts the program args[0] with args, its standard output and error going to the files out and err
// (both to out when err is empty); -1 when it cannot start.
inline pid_t SpawnProcess(std::vector<std::string> args, const std::string& out, const std::string& err = "") {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (err.empty()) {
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  }
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// The exit status of pid, or -1 when it did not end normally.
inline int WaitExit(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// Passes when the run ended with status and its standard error holds errPart; a failure shows both.
inline ::testing::AssertionResult Ended(const CliResult& run, int status, const std::string& errPart = "") {
  if (run.status == status && run.err.find(errPart) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "exit " << run.status << " (wanted " << status << "), wanted \"" << errPart
                                       << "\" in the error:\n"
                                       << run.err;
}

}  // namespace quorvex::testing
