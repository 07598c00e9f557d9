#pragma once
// Starting programs: always with an argument vector, never through a shell, so a target text can
// never be read as a command.
#include <string>
#include <vector>

namespace quorvex::platform {

// Starts argv[0] (searched on PATH when it holds no '/') with the given arguments and does not wait
// for it; the child is reaped in the background. Returns 0, or the errno of the failure (ENOENT when
// the program does not exist).
int StartProgram(const std::vector<std::string>& argv);

}  // namespace quorvex::platform
