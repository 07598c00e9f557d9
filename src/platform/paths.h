#pragma once
// Where Quorvex keeps its files, and the one way every writer of the program puts a file on disk.
// All functions are safe to call from any thread, except that they read the process environment,
// which must not be changed concurrently.
#include <cstddef>
#include <string>
#include <string_view>

namespace quorvex::platform {

// The user's home folder: $HOME, else the password database entry; empty when neither is known.
std::string HomeDir();

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
std::string XdgConfigHome();
// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
std::string XdgDataHome();

// The folder of the settings file: $QUORVEX_CONFIG_DIR when set and not empty, else XdgConfigHome()/Quorvex.
std::string ConfigDir();
// The folder of the default catalog: XdgDataHome()/Quorvex.
std::string DataDir();
// The folder of the user's autostart entries: XdgConfigHome()/autostart.
std::string AutostartDir();

// The folder of the installed program files (language files, help, sound, templates):
// <prefix>/share/quorvex beside the running executable's <prefix>/bin when it exists, else the
// resources folder of the source tree the program was built from. Never empty, never "/".
std::string InstalledDataDir();

// The full path of the first executable regular file called name in the folders of $PATH; empty when
// there is none. A name holding a slash is checked as it stands.
std::string FindOnPath(const std::string& name);

// dir and name joined by exactly one slash (name alone when dir is empty).
std::string JoinPath(const std::string& dir, const std::string& name);

// Creates folder and its missing parents (mode 0700 for new ones). False with a reason on failure.
bool MakeFolders(const std::string& folder, std::string* error = nullptr);

// Replaces the file at path with bytes so that readers see either the old or the new content, never a
// mix: the bytes go to a new temporary file in the same folder, which is flushed to disk (fsync) and
// renamed over path; the folder is then synced too. A symbolic link at path is followed, so the link
// stays and its target is replaced. An existing file keeps its permission bits; a new one gets
// 0666 less the umask. On any failure the temporary file is removed, the old file is left as it was,
// the function returns false and, when error is given, stores a reason naming the file.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error = nullptr);

enum class ReadResult { Ok, Missing, Failed };

// Reads a whole file into bytes. Missing when there is no file at path (also when a file stands where
// one of its folders should be); Failed (with a reason) when it cannot be read, is not a regular file,
// or holds more than max_bytes.
ReadResult ReadWholeFile(const std::string& path, std::string& bytes, std::string* error = nullptr,
                         size_t max_bytes = 64u << 20);

}  // namespace quorvex::platform
