#pragma once
// Sections of key/value pairs kept in an INI text file (doc/settings-file.md gives the format).
// Values are byte strings: any byte, including line breaks, NUL, leading blanks and bytes that are
// not UTF-8, is written with an escape and read back unchanged. Section and key names are compared
// without regard to ASCII case, as registry names are; the spelling first used is kept.
//
// Not thread-safe: one owner at a time. Nothing throws; parse and file failures come back as false
// with an error text.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/paths.h"

namespace quorvex::platform {

class IniStore {
 public:
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;  // key, unescaped value; in file order
  };

  enum class LoadResult { Ok, Missing, Unreadable, Malformed };

  // Text larger than this is refused: a settings file is a few kilobytes.
  static constexpr size_t kMaxTextBytes = kMaxSettingsFileBytes;

  // Replaces the contents with the parsed text. On a malformed text the store is left empty and
  // error holds "line N: reason". A key that appears twice in a section keeps the last value.
  bool Parse(std::string_view text, std::string* error = nullptr);
  // The text that Parse reads back into an equal store (sections and keys in their order).
  std::string ToText() const;

  // Reads the file at path. Missing leaves the store empty without an error.
  LoadResult LoadFile(const std::string& path, std::string* error = nullptr);
  // Writes ToText() to path through WriteFileAtomically.
  bool SaveFile(const std::string& path, std::string* error = nullptr) const;

  std::optional<std::string> GetString(std::string_view section, std::string_view key) const;
  std::string GetString(std::string_view section, std::string_view key, std::string_view fallback) const;
  // A decimal 32-bit value. Like a registry DWORD, 0..4294967295 is accepted and values above
  // 2147483647 wrap to negative; a missing or malformed value gives fallback.
  int32_t GetInt(std::string_view section, std::string_view key, int32_t fallback) const;
  // Hex digits (either case) decoded to bytes; nullopt when missing or not an even run of hex digits.
  std::optional<std::string> GetHex(std::string_view section, std::string_view key) const;

  // Setters create the section and key as needed, appending them at the end. They return false (and
  // change nothing) when the name cannot be written: see ValidSectionName and ValidKeyName.
  bool SetString(std::string_view section, std::string_view key, std::string_view value);
  bool SetInt(std::string_view section, std::string_view key, int32_t value);
  bool SetHex(std::string_view section, std::string_view key, std::string_view bytes);
  bool Remove(std::string_view section, std::string_view key);

  const std::vector<Section>& Sections() const { return sections_; }
  const Section* FindSection(std::string_view name) const;
  bool operator==(const IniStore& other) const;

  // Printable ASCII without "[" and "]", not empty, no blank at either end.
  static bool ValidSectionName(std::string_view name);
  // Printable ASCII without "=", not empty, not starting with "[", ";" or "#", no blank at either end.
  static bool ValidKeyName(std::string_view name);

  // The escaped form of a value as it appears after "=", and its inverse (false on a bad escape).
  static std::string EscapeValue(std::string_view value);
  static bool UnescapeValue(std::string_view text, std::string& value, std::string* error = nullptr);
  // The value forms that GetInt and GetHex read and SetInt and SetHex write.
  static bool ParseInt(std::string_view text, int32_t& value);
  static bool ParseHex(std::string_view text, std::string& bytes);
  static std::string ToHex(std::string_view bytes);

 private:
  Section* FindSectionMutable(std::string_view name);
  Section& EnsureSection(std::string_view name);

  std::vector<Section> sections_;
};

}  // namespace quorvex::platform
