#pragma once
// A language file: the menus and the texts of one language (format: doc/language-files.md).
// Language files travel between users, so the reader takes any bytes: a broken file yields a
// result code, never a crash, and its texts are later filled only by FillPlaceholders.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/string_table.h"
#include "settings/menu_model.h"

namespace quorvex::settings {

// Results of reading a language file. The numbers are the ids of the messages that report them.
enum class LanguageResult {
  kOk = 0,
  kCantOpen = 32800,  // missing, not a regular file, over platform::kMaxLanguageFileBytes, or unreadable
  kBadFile = 32801,   // a menu command before any drop-down of its section
};

// Ids of the few fixed English messages about the language machinery itself; they cannot come
// from a language file, since they report that the language file failed.
inline constexpr uint16_t kResCantOpenLanguageFile = 32800;
inline constexpr uint16_t kResBadLanguageFile = 32801;
inline constexpr uint16_t kResMissingStringKey = 32803;
// The fixed text of one of the ids above; empty for any other id.
std::string ResourceText(uint16_t id);

// Lines longer than this (line end included) are cut; the rest of such a line is skipped.
inline constexpr size_t kMaxLineChars = 249;
// The header (the first line) is read up to this many characters.
inline constexpr size_t kMaxHeaderChars = 254;
// The quoted display name in the header, quotes included, may not be longer than this.
inline constexpr size_t kMaxHeaderNameChars = 29;

// Takes the line that starts at pos from content as the reader sees it, and moves pos past it:
// the line keeps its LF, CR LF becomes LF, the text stops at a NUL byte, and a line longer than
// maxChars is cut to maxChars with its remainder skipped.
std::string NextLanguageLine(std::string_view content, size_t& pos, size_t maxChars = kMaxLineChars);

// Reads the header line 'LANG : "Name";' into the display name (the text between the quotes).
// False when the line has no ";", does not have that form, or the name is too long.
bool ParseLanguageHeader(std::string_view line, std::string& displayName);

class LanguageFile final : public platform::StringSource {
 public:
  // Reads the file at path. On any result but kOk the object is left empty.
  LanguageResult Load(const std::string& path);
  // Reads a language file's content. On any result but kOk the object is left empty.
  LanguageResult Parse(std::string_view content);

  // The text of id with its \r and \n escapes turned into CR and LF; false when the file has no
  // string table or no text for id. Safe to call from any thread once loading has finished.
  bool Lookup(uint16_t id, std::string& out) const override;
  // The text as the file writes it, escapes untouched.
  bool RawText(uint16_t id, std::string& out) const;
  // False for a file without a (closed) string table: then no id has a text.
  bool HasStringTable() const { return table_.has_value(); }
  // The ids of the string table, ascending.
  std::vector<uint16_t> Ids() const;

  // The menus of the file; null when the file has no such (closed) section. Owned by this object.
  const MenuModel* MainMenu() const { return Get(mainMenu_); }
  const MenuModel* PopupMenu() const { return Get(popupMenu_); }
  const MenuModel* AlertMenu() const { return Get(alertMenu_); }
  const MenuModel* TreeMenu() const { return Get(treeMenu_); }

  // Why the last Load or Parse failed: the reason for kCantOpen, the offending line for kBadFile.
  const std::string& ErrorText() const { return errorText_; }
  // The 1-based line number of a kBadFile failure, else 0.
  size_t ErrorLine() const { return errorLine_; }

 private:
  static const MenuModel* Get(const std::optional<MenuModel>& menu) { return menu ? &*menu : nullptr; }
  void Clear();

  std::optional<std::map<uint16_t, std::string>> table_;
  std::optional<MenuModel> mainMenu_;
  std::optional<MenuModel> popupMenu_;
  std::optional<MenuModel> alertMenu_;
  std::optional<MenuModel> treeMenu_;
  std::string errorText_;
  size_t errorLine_ = 0;
};

}  // namespace quorvex::settings
