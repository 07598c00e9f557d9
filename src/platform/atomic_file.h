#pragma once
// Whole-file reading and crash-safe writing. A file is replaced by writing a temporary file in the
// same folder, flushing it to disk and renaming it over the old one, so a crash or a full disk
// leaves either the old file or the new one, never a mix.
#include <string>
#include <string_view>

namespace quorvex::platform {

// Replaces (or creates) the file at path with bytes. A symbolic link at path is kept and its
// target replaced. An existing file keeps its permission bits; a new one gets 0666 less the umask.
// On failure returns false, leaves the old file untouched, removes the temporary file and, when
// error is not null, describes the failure there in English.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error);

// Reads the whole file at path into *bytes. On failure returns false, leaves *bytes empty and,
// when error is not null, describes the failure there in English.
bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error);

}  // namespace quorvex::platform
