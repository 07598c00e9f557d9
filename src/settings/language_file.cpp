#include "settings/language_file.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/paths.h"

namespace quorvex::settings {
namespace {

bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void SkipSpace(std::string_view line, size_t& i) {
  while (i < line.size() && IsCSpace(line[i])) ++i;
}

// The text up to the next ";" (or the line's end), at least one character.
bool CaptureText(std::string_view line, size_t i, std::string& text) {
  size_t end = line.find(';', i);
  if (end == std::string_view::npos) end = line.size();
  if (end == i) return false;
  text.assign(line.substr(i, end - i));
  return true;
}

// An entry line: a decimal number, " : ", and a text up to ";". Blanks around the colon are
// optional, as the number is in any amount. The number wraps like a 32-bit integer.
bool ScanEntry(std::string_view line, uint32_t& number, std::string& text) {
  size_t i = 0;
  SkipSpace(line, i);
  bool negative = false;
  if (i < line.size() && (line[i] == '+' || line[i] == '-')) negative = line[i++] == '-';
  size_t digits = i;
  uint32_t value = 0;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9') value = value * 10 + uint32_t(line[i++] - '0');
  if (i == digits) return false;
  SkipSpace(line, i);
  if (i >= line.size() || line[i] != ':') return false;
  ++i;
  SkipSpace(line, i);
  if (!CaptureText(line, i, text)) return false;
  number = negative ? 0u - value : value;
  return true;
}

bool Contains(std::string_view line, std::string_view keyword) {
  return line.find(keyword) != std::string_view::npos;
}

// Text between the first and the last character (the quotes); nothing for shorter texts.
std::string Unquote(const std::string& text) {
  return text.size() < 2 ? std::string() : text.substr(1, text.size() - 2);
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// A menu label: "\t" and "%" both stand for the tab before the shortcut.
std::string MenuLabel(std::string text) {
  ReplaceAll(text, "\\t", "%");
  ReplaceAll(text, "%", "\t");
  return text;
}

}  // namespace

std::string ResourceText(uint16_t id) {
  switch (id) {
    case kResCantOpenLanguageFile:
      return "Can't open language file";
    case kResBadLanguageFile:
      return "Bad language file";
    case kResMissingStringKey:
      return "The string key does not exist";
    default:
      return {};
  }
}

std::string NextLanguageLine(std::string_view content, size_t& pos, size_t maxChars) {
  size_t newline = content.find('\n', pos);
  size_t end = newline == std::string_view::npos ? content.size() : newline + 1;
  std::string line(content.substr(pos, end - pos));
  pos = end;
  if (line.size() >= 2 && line[line.size() - 2] == '\r' && line.back() == '\n') line.erase(line.size() - 2, 1);
  // The remainder of an over-long line is dropped rather than read as a line of its own, so that
  // a long text can never turn into a keyword or an entry.
  if (line.size() > maxChars) line.resize(maxChars);
  line.resize(std::strlen(line.c_str()));
  return line;
}

bool ParseLanguageHeader(std::string_view line, std::string& displayName) {
  if (!Contains(line, ";") || line.substr(0, 4) != "LANG") return false;
  size_t i = 4;
  SkipSpace(line, i);
  if (i >= line.size() || line[i] != ':') return false;
  ++i;
  SkipSpace(line, i);
  std::string captured;
  if (!CaptureText(line, i, captured) || captured.size() > kMaxHeaderNameChars) return false;
  displayName = Unquote(captured);
  return true;
}

void LanguageFile::Clear() {
  table_.reset();
  mainMenu_.reset();
  popupMenu_.reset();
  alertMenu_.reset();
  treeMenu_.reset();
  errorText_.clear();
  errorLine_ = 0;
}

LanguageResult LanguageFile::Load(const std::string& path) {
  Clear();
  std::string content;
  std::string reason;
  switch (platform::ReadWholeFile(path, content, &reason, platform::kMaxLanguageFileBytes)) {
    case platform::ReadResult::Ok:
      return Parse(content);
    case platform::ReadResult::Missing:
      errorText_ = std::strerror(ENOENT);
      return LanguageResult::kCantOpen;
    case platform::ReadResult::Failed:
      break;
  }
  errorText_ = reason;
  return LanguageResult::kCantOpen;
}

LanguageResult LanguageFile::Parse(std::string_view content) {
  Clear();
  MenuModel* current = nullptr;      // the menu the open section builds
  std::optional<MenuModel> newMenu;  // a context menu being built, stored at its END line
  std::optional<DropDown> dropDown;  // the drop-down being filled
  std::optional<std::map<uint16_t, std::string>> openTable;
  auto flushDropDown = [&] {
    if (current && dropDown) current->AddDropDown(std::move(*dropDown));
    dropDown.reset();
  };

  size_t pos = 0;
  for (size_t lineNumber = 1; pos < content.size(); ++lineNumber) {
    std::string line = NextLanguageLine(content, pos);
    if (Contains(line, "CRC#")) break;
    if (Contains(line, "START MENU")) {
      flushDropDown();
      newMenu.reset();
      current = nullptr;
      if (Contains(line, "POPUP")) {
        current = &newMenu.emplace();
      } else if (Contains(line, "MAINFRAME")) {
        // Every MAINFRAME section adds to the one menu bar.
        current = mainMenu_ ? &*mainMenu_ : &mainMenu_.emplace();
      } else if (Contains(line, "ALERT") || Contains(line, "TREE")) {
        current = &newMenu.emplace();
      }
    }
    if (Contains(line, "END MENU")) {
      flushDropDown();
      if (newMenu) {
        if (Contains(line, "POPUP")) {
          popupMenu_ = std::move(newMenu);
        } else if (Contains(line, "ALERT")) {
          alertMenu_ = std::move(newMenu);
        } else if (Contains(line, "TREE")) {
          treeMenu_ = std::move(newMenu);
        }
      }
      newMenu.reset();
      current = nullptr;
    }
    uint32_t number;
    std::string text;
    if (ScanEntry(line, number, text)) {
      uint16_t id = static_cast<uint16_t>(number);
      if (current) {
        if (id == 0) {
          if (dropDown) dropDown->items.push_back(MenuItem{});
        } else if (id < 100) {
          flushDropDown();
          dropDown.emplace().title = text;
        } else if (!dropDown) {
          Clear();
          errorText_ = line;
          errorLine_ = lineNumber;
          return LanguageResult::kBadFile;
        } else {
          dropDown->items.push_back(MenuItem{id, MenuLabel(text)});
        }
      }
      if (openTable) (*openTable)[id] = Unquote(text);
    }
    if (Contains(line, "START STRINGTABLE")) openTable.emplace();
    if (Contains(line, "END STRINGTABLE") && openTable) {
      table_ = std::move(openTable);
      openTable.reset();
    }
  }
  return LanguageResult::kOk;
}

bool LanguageFile::RawText(uint16_t id, std::string& out) const {
  if (!table_) return false;
  auto it = table_->find(id);
  if (it == table_->end()) return false;
  out = it->second;
  return true;
}

bool LanguageFile::Lookup(uint16_t id, std::string& out) const {
  if (!RawText(id, out)) return false;
  ReplaceAll(out, "\\r", "\r");
  ReplaceAll(out, "\\n", "\n");
  return true;
}

std::vector<uint16_t> LanguageFile::Ids() const {
  std::vector<uint16_t> ids;
  if (table_) {
    for (const auto& [id, text] : *table_) ids.push_back(id);
  }
  return ids;
}

}  // namespace quorvex::settings
