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
// $XDG_CACHE_HOME when it is an absolute path, else ~/.cache.
std::string XdgCacheHome();
// The folder of files that can be made again or lost without losing catalog data (page snapshots):
// $QUORVEX_CACHE_DIR when set and not empty, else XdgCacheHome()/Quorvex.
std::string CacheDir();
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
// the function returns false and, when error is given, stores a reason naming the file. After a
// successful save, temporary files of path left by saves of this machine's processes that are gone
// (killed mid-save) are removed.
// FlushToDisk::No skips both syncs, for files whose readers check them whole (a checksum) and may lose
// them: a crash of the process still leaves the old or the new file, a power cut may leave a torn one.
enum class FlushToDisk { Yes, No };
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error = nullptr,
                         FlushToDisk flush = FlushToDisk::Yes);

enum class ReadResult { Ok, Missing, Failed };

// Caps on the files the program reads, one per kind of file. Each is far above any real file of its
// kind; it keeps a wrong or hostile file (a huge file, a link to /dev/zero) from costing memory on
// every start.
inline constexpr size_t kMaxLanguageFileBytes = size_t{1} << 20;
inline constexpr size_t kMaxSettingsFileBytes = size_t{4} << 20;
inline constexpr size_t kMaxTemplateFileBytes = size_t{1} << 20;  // report and autostart templates
inline constexpr size_t kMaxContainerFileBytes = size_t{64} << 20;
inline constexpr size_t kMaxWaveFileBytes = size_t{16} << 20;
inline constexpr size_t kMaxCatalogFileBytes = size_t{2} << 30;

// Opens path for reading when it is a regular file, without ever waiting (a FIFO is refused, not
// waited on). Returns the descriptor (close-on-exec, blocking reads), or -1 with result Missing when
// there is no file at path (also when a file stands where one of its folders should be) or Failed
// with a reason naming the file when it cannot be opened or is not a regular file.
int OpenRegularFile(const std::string& path, ReadResult& result, std::string* error);

// Reads a whole regular file into bytes. Missing and Failed as OpenRegularFile; Failed (with a
// reason) as well when it cannot be read or holds more than max_bytes (one of the caps above).
ReadResult ReadWholeFile(const std::string& path, std::string& bytes, std::string* error, size_t max_bytes);

// Reads the first count bytes of a regular file into bytes (fewer when the file is shorter), for the
// readers that look only at a file's start. Results as OpenRegularFile, Failed too when reading fails.
ReadResult ReadFileStart(const std::string& path, std::string& bytes, std::string* error, size_t count);

}  // namespace quorvex::platform
