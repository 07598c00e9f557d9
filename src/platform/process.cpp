#include "platform/process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/paths.h"

extern char** environ;

namespace quorvex::platform {
int StartProgram(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0].empty()) return EINVAL;
  const std::string program = FindOnPath(argv[0]);
  if (program.empty()) return ENOENT;
  std::vector<char*> args;
  for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, program.c_str(), nullptr, nullptr, args.data(), environ);
  if (rc != 0) return rc;
  // Reap the child so that started programs do not linger as zombies.
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return 0;
}

}  // namespace quorvex::platform
