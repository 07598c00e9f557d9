// Every command's argument parsing, run in-process: any argument list must end in a status of the
// tool (0 to 3) with a message for a usage error, never a crash or an exception. The input is the
// command line after the program name, arguments separated by NUL bytes.
//
// The target never touches the user's files: every per-user folder points at a temporary folder,
// which is also the working folder while a command runs, and arguments that could name a file elsewhere (absolute
// paths,
// "..", file: addresses) are skipped. It never reaches the network or mails: the settings send every
// fetch to a proxy on a closed loopback port and name no mail relay, and report --open is skipped.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command.h"

namespace {

namespace fs = std::filesystem;

const char kSettings[] =
    "[COMMON]\nAutoFreshing=1\nThreadsAtTheTime=2\n"
    "[CONNECTION]\nViaProxy=1\nProxyServer=127.0.0.1\nProxyPort=1\nTimeOut=1\nRetries=1\n";

// The sandbox folder, removed when the process ends.
std::string g_root;

void RemoveSandbox() {
  std::error_code ignored;
  if (!g_root.empty()) std::filesystem::remove_all(g_root, ignored);
}

struct Sandbox {
  fs::path root;
  fs::path settings;
  fs::path catalog;
  std::string catalogBytes;
};

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

int RunQuiet(const std::vector<std::string>& args) {
  std::istringstream in("<td>Price: 12.5 </td>\n");
  std::ostringstream out;
  std::ostringstream err;
  quorvex::cli::CommandIo io{in, out, err};
  return quorvex::cli::RunCli(args, io);
}

// Made once: the folders, the settings, and a small catalog whose bytes every input starts from.
Sandbox& TheSandbox() {
  static Sandbox* sandbox = [] {
    auto* made = new Sandbox;
    std::string pattern = (fs::temp_directory_path() / "quorvex-cli-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    made->root = pattern;
    g_root = pattern;
    std::atexit(RemoveSandbox);
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
      ::unsetenv(name);
    ::setenv("HOME", pattern.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (made->root / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (made->root / "data").c_str(), 1);
    ::setenv("QUORVEX_CONFIG_DIR", (made->root / "config/Quorvex").c_str(), 1);
    fs::create_directories(made->root / "config/Quorvex");
    fs::create_directories(made->root / "data/Quorvex");
    made->settings = made->root / "config/Quorvex/Quorvex.ini";
    made->catalog = made->root / "data/Quorvex/maindata.dat";
    WriteBytes(made->settings, kSettings);
    const std::string page = "http://127.0.0.1:1/shop";
    RunQuiet({"add", "--name", "Price", "--url", page, "--pattern", "Price:{?}<", "--unit", "USD", "--folder",
              "Shops/Europe"});
    RunQuiet({"add", "--name", "Title", "--url", page, "--pattern", "<title>{?}<", "--at-start"});
    RunQuiet({"add", "--name", "Whole", "--url", "http://127.0.0.1:1/other", "--every", "2", "hours"});
    RunQuiet({"event", "add", "Price", "--op", ">", "--operand", "5", "--message", "up", "--no-sound"});
    made->catalogBytes = ReadBytes(made->catalog);
    if (made->catalogBytes.empty()) std::abort();
    return made;
  }();
  return *sandbox;
}

// Back to the state every input starts from: the settings and catalog as made, nothing else.
void Reset(const Sandbox& sandbox) {
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(sandbox.root, ignored)) {
    const std::string name = entry.path().filename().string();
    if (name != "config" && name != "data") fs::remove_all(entry.path(), ignored);
  }
  fs::remove_all(sandbox.root / "data/Quorvex", ignored);
  fs::remove_all(sandbox.root / "config/Quorvex", ignored);
  fs::create_directories(sandbox.root / "config/Quorvex", ignored);
  fs::create_directories(sandbox.root / "data/Quorvex", ignored);
  WriteBytes(sandbox.settings, kSettings);
  WriteBytes(sandbox.catalog, sandbox.catalogBytes);
}

// An argument that could reach outside the sandbox, open a browser or run forever.
bool Unsafe(const std::string& arg) {
  if (arg.empty()) return false;
  if (arg[0] == '/' || arg[0] == '~' || arg.find("..") != std::string::npos) return true;
  if (const size_t eq = arg.find('='); eq != std::string::npos && eq + 1 < arg.size() && arg[eq + 1] == '/')
    return true;
  std::string lower = arg;
  for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return lower.find("file:") != std::string::npos || arg == "--open";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back() += static_cast<char>(data[i]);
    }
  }
  if (size == 0) args.clear();
  for (const std::string& arg : args) {
    if (Unsafe(arg)) return 0;
  }
  // The agent runs until stopped: one tick, then it ends (options after "--" only make a usage error).
  size_t command = 0;
  if (!args.empty() && args[0] == "--catalog") command = 2;
  if (!args.empty() && args[0].rfind("--catalog=", 0) == 0) command = 1;
  if (command < args.size() && args[command] == "run") {
    args.push_back("--ticks");
    args.push_back("1");
  }
  const Sandbox& sandbox = TheSandbox();
  Reset(sandbox);

  // Relative file names land in the sandbox; the fuzzer's own files stay where it was started.
  const fs::path started = fs::current_path();
  fs::current_path(sandbox.root);
  std::istringstream in("<td>Price: 12.5 </td>\n");
  std::ostringstream out;
  std::ostringstream err;
  quorvex::cli::CommandIo io{in, out, err};
  const int status = quorvex::cli::RunCli(args, io);
  fs::current_path(started);
  if (status < quorvex::cli::kExitOk || status > quorvex::cli::kExitPageFailed) std::abort();
  if (status == quorvex::cli::kExitUsage && err.str().empty()) std::abort();
  return 0;
}
