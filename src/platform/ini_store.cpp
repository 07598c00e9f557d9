#include "platform/ini_store.h"

#include <cstdlib>

#include "platform/paths.h"

namespace quorvex::platform {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool PrintableAscii(std::string_view s) {
  for (char c : s)
    if (c < 0x20 || c > 0x7E) return false;
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendHexByte(std::string& out, unsigned char byte) {
  static const char kDigits[] = "0123456789ABCDEF";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 15];
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool ValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t len;
    unsigned min;
    unsigned cp;
    if ((c & 0xE0) == 0xC0) {
      len = 2, min = 0x80, cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3, min = 0x800, cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4, min = 0x10000, cp = c & 0x07;
    } else {
      return false;
    }
    if (i + len > s.size()) return false;
    for (size_t k = 1; k < len; ++k) {
      unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

bool SetError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

}  // namespace

bool IniStore::ValidSectionName(std::string_view name) {
  return !name.empty() && PrintableAscii(name) && name.find_first_of("[]") == std::string_view::npos &&
         !IsBlank(name.front()) && !IsBlank(name.back());
}

bool IniStore::ValidKeyName(std::string_view name) {
  return !name.empty() && PrintableAscii(name) && name.find('=') == std::string_view::npos && name[0] != '[' &&
         name[0] != ';' && name[0] != '#' && !IsBlank(name.front()) && !IsBlank(name.back());
}

std::string IniStore::EscapeValue(std::string_view value) {
  // Bytes above 0x7F stay readable when the value is UTF-8; any other byte string (an old
  // Windows-1251 path, say) is escaped so that the file itself is always valid UTF-8.
  const bool raw_high = ValidUtf8(value);
  std::string out;
  out.reserve(value.size() + 8);
  for (size_t i = 0; i < value.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(value[i]);
    const bool edge = i == 0 || i + 1 == value.size();
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && !raw_high) || (c == ' ' && edge)) {
      out += "\\x";
      AppendHexByte(out, c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool IniStore::UnescapeValue(std::string_view text, std::string& value, std::string* error) {
  value.clear();
  value.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\\') {
      value += c;
      continue;
    }
    if (i + 1 >= text.size()) return SetError(error, "a backslash ends the value (write \\\\ for a backslash)");
    char e = text[++i];
    switch (e) {
      case '\\':
        value += '\\';
        break;
      case 't':
        value += '\t';
        break;
      case 'n':
        value += '\n';
        break;
      case 'r':
        value += '\r';
        break;
      case 'x': {
        int hi = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
        int lo = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
        if (hi < 0 || lo < 0) return SetError(error, "\\x must be followed by two hex digits");
        value += static_cast<char>(hi * 16 + lo);
        i += 2;
        break;
      }
      default:
        return SetError(error, "unknown escape after a backslash (write \\\\ for a backslash)");
    }
  }
  return true;
}

bool IniStore::Parse(std::string_view text, std::string* error) {
  sections_.clear();
  if (text.size() > kMaxTextBytes) return SetError(error, "the file is too large for a settings file");
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<Section> parsed;
  Section* current = nullptr;
  size_t line_no = 0;
  size_t pos = 0;
  auto fail = [&](const std::string& reason) {
    return SetError(error, "line " + std::to_string(line_no) + ": " + reason);
  };
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(pos, end - pos);
    pos = end + 1;
    ++line_no;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    for (char c : raw)
      if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F)
        return fail("control character in the line (values write them as escapes)");
    std::string_view line = Trim(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      if (line.back() != ']') return fail("a section header must end with ']'");
      std::string_view name = Trim(line.substr(1, line.size() - 2));
      if (!ValidSectionName(name)) return fail("bad section name");
      current = nullptr;
      for (auto& section : parsed)
        if (SameName(section.name, name)) current = &section;
      if (!current) {
        parsed.push_back(Section{std::string(name), {}});
        current = &parsed.back();
      }
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return fail("expected 'key=value', a '[section]' or a comment");
    std::string_view key = Trim(line.substr(0, eq));
    if (!ValidKeyName(key)) return fail("bad key name");
    if (!current) return fail("a key before the first section");
    std::string value;
    std::string reason;
    if (!UnescapeValue(Trim(line.substr(eq + 1)), value, &reason)) return fail(reason);
    bool replaced = false;
    for (auto& entry : current->entries) {
      if (SameName(entry.first, key)) {
        entry.second = std::move(value);
        replaced = true;
        break;
      }
    }
    if (!replaced) current->entries.emplace_back(std::string(key), std::move(value));
  }
  sections_ = std::move(parsed);
  return true;
}

std::string IniStore::ToText() const {
  std::string out;
  for (const auto& section : sections_) {
    if (!out.empty()) out += '\n';
    out += '[' + section.name + "]\n";
    for (const auto& [key, value] : section.entries) out += key + '=' + EscapeValue(value) + '\n';
  }
  return out;
}

IniStore::LoadResult IniStore::LoadFile(const std::string& path, std::string* error) {
  sections_.clear();
  std::string text;
  switch (ReadWholeFile(path, text, error, kMaxTextBytes)) {
    case ReadResult::Missing:
      return LoadResult::Missing;
    case ReadResult::Failed:
      return LoadResult::Unreadable;
    case ReadResult::Ok:
      break;
  }
  std::string reason;
  if (!Parse(text, &reason)) {
    SetError(error, path + ", " + reason);
    return LoadResult::Malformed;
  }
  return LoadResult::Ok;
}

bool IniStore::SaveFile(const std::string& path, std::string* error) const {
  return WriteFileAtomically(path, ToText(), error);
}

const IniStore::Section* IniStore::FindSection(std::string_view name) const {
  for (const auto& section : sections_)
    if (SameName(section.name, name)) return &section;
  return nullptr;
}

IniStore::Section* IniStore::FindSectionMutable(std::string_view name) {
  return const_cast<Section*>(FindSection(name));
}

IniStore::Section& IniStore::EnsureSection(std::string_view name) {
  if (Section* section = FindSectionMutable(name)) return *section;
  sections_.push_back(Section{std::string(name), {}});
  return sections_.back();
}

std::optional<std::string> IniStore::GetString(std::string_view section, std::string_view key) const {
  const Section* found = FindSection(section);
  if (!found) return std::nullopt;
  for (const auto& [name, value] : found->entries)
    if (SameName(name, key)) return value;
  return std::nullopt;
}

std::string IniStore::GetString(std::string_view section, std::string_view key, std::string_view fallback) const {
  auto value = GetString(section, key);
  return value ? *value : std::string(fallback);
}

bool IniStore::ParseInt(std::string_view text, int32_t& value) {
  std::string_view digits = Trim(text);
  bool negative = !digits.empty() && digits[0] == '-';
  if (negative) digits.remove_prefix(1);
  if (digits.empty() || digits.size() > 10) return false;
  uint64_t magnitude = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    magnitude = magnitude * 10 + static_cast<uint64_t>(c - '0');
  }
  if (negative) {
    if (magnitude > 2147483648u) return false;
    value = static_cast<int32_t>(-static_cast<int64_t>(magnitude));
    return true;
  }
  if (magnitude > 4294967295u) return false;
  value = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
  return true;
}

bool IniStore::ParseHex(std::string_view text, std::string& bytes) {
  if (text.size() % 2 != 0) return false;
  std::string out;
  out.reserve(text.size() / 2);
  for (size_t i = 0; i < text.size(); i += 2) {
    int hi = HexDigit(text[i]);
    int lo = HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out += static_cast<char>(hi * 16 + lo);
  }
  bytes = std::move(out);
  return true;
}

std::string IniStore::ToHex(std::string_view bytes) {
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (char c : bytes) AppendHexByte(hex, static_cast<unsigned char>(c));
  return hex;
}

int32_t IniStore::GetInt(std::string_view section, std::string_view key, int32_t fallback) const {
  auto text = GetString(section, key);
  int32_t value;
  return text && ParseInt(*text, value) ? value : fallback;
}

std::optional<std::string> IniStore::GetHex(std::string_view section, std::string_view key) const {
  auto text = GetString(section, key);
  std::string bytes;
  if (!text || !ParseHex(*text, bytes)) return std::nullopt;
  return bytes;
}

bool IniStore::SetString(std::string_view section, std::string_view key, std::string_view value) {
  if (!ValidSectionName(section) || !ValidKeyName(key)) return false;
  Section& target = EnsureSection(section);
  for (auto& entry : target.entries) {
    if (SameName(entry.first, key)) {
      entry.second = std::string(value);
      return true;
    }
  }
  target.entries.emplace_back(std::string(key), std::string(value));
  return true;
}

bool IniStore::SetInt(std::string_view section, std::string_view key, int32_t value) {
  return SetString(section, key, std::to_string(value));
}

bool IniStore::SetHex(std::string_view section, std::string_view key, std::string_view bytes) {
  return SetString(section, key, ToHex(bytes));
}

bool IniStore::Remove(std::string_view section, std::string_view key) {
  Section* found = FindSectionMutable(section);
  if (!found) return false;
  for (auto it = found->entries.begin(); it != found->entries.end(); ++it) {
    if (SameName(it->first, key)) {
      found->entries.erase(it);
      return true;
    }
  }
  return false;
}

bool IniStore::operator==(const IniStore& other) const {
  if (sections_.size() != other.sections_.size()) return false;
  for (size_t i = 0; i < sections_.size(); ++i) {
    if (sections_[i].name != other.sections_[i].name || sections_[i].entries != other.sections_[i].entries)
      return false;
  }
  return true;
}

}  // namespace quorvex::platform
