#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  quorvex::cli::CommandIo io{std::cin, std::cout, std::cerr};
  // Commands report their own failures; this is the last guard (out of memory), so that the tool
  // still ends with a message and its failure status instead of an abort.
  try {
    return quorvex::cli::RunCli(args, io);
  } catch (const std::exception& error) {
    std::cerr << "quorvex-cli: " << error.what() << "\n";
    return quorvex::cli::kExitFailed;
  }
}
