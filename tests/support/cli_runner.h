#pragma once
// Runs quorvex-cli commands in-process and captures what they print.
#include <sstream>
#include <string>
#include <vector>

#include "cli/command.h"

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

}  // namespace quorvex::testing
