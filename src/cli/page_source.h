#pragma once
// The page a command works on, read the way the monitor reads a fetched page: from a page address
// (fetched with the CONNECTION settings), a file or standard input, CR bytes dropped, cut at the page
// limit, converted from its character set. Shared by test-pattern and suggest-pattern.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cli/command.h"

namespace quorvex::cli {

struct PageSource {
  std::string text;  // the prepared page text
  bool cut = false;  // the page was longer than the limit
  size_t limit = 0;  // the page limit in force (bytes, the terminating NUL included)
};

// "0".."3" or a label ("Win", "koi8", ...), case aside; -1 when neither.
int32_t ParseCharset(const std::string& value);

// Reads source ("-" for io.in, an address with "://", or a file) and converts it from charset. On
// failure writes "quorvex-cli: <command>: ..." to io.err and returns false.
bool LoadPageSource(const std::string& source, int32_t charset, const std::string& command, CommandIo& io,
                    PageSource& page);

}  // namespace quorvex::cli
