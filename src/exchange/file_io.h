#pragma once
// Whole-file reading and writing for the exchange files. Writing never leaves a half-written file
// after a crash or on a full disk: the bytes go to a temporary file in the same folder, which is
// then renamed over the target.
#include <string>
#include <string_view>

namespace quorvex::exchange {

// Replaces (or creates) path with bytes. The new file gets the usual permissions (0666 less the
// umask). On failure the old file is untouched, the temporary file removed, and error (when
// given) holds the reason; returns false.
bool WriteFileReplacing(const std::string& path, std::string_view bytes, std::string* error);

// Reads the whole file at path into out. False (error set when given) when it cannot be opened or
// read, or is a folder.
bool ReadWholeFile(const std::string& path, std::string& out, std::string* error);

}  // namespace quorvex::exchange
