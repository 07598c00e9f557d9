#include "exchange/html_sanitizer.h"

#include <vector>

#include "exchange/byte_text.h"

namespace quorvex::exchange {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

struct Attribute {
  std::string name;
  std::string value;
  bool hasValue = false;
};

struct Tag {
  bool end = false;
  std::string name;  // lower case
  std::vector<Attribute> attributes;
  size_t after = 0;  // the position after its '>'
};

// Tokenizes the tag at html[pos] ('<' then a letter, or "</" then a letter) by the browsers' rules.
// False when the text ends before the tag does.
bool ParseTag(std::string_view html, size_t pos, Tag& tag) {
  const size_t n = html.size();
  size_t i = pos + 1;
  if (html[i] == '/') {
    tag.end = true;
    ++i;
  }
  for (; i < n && !IsSpace(html[i]) && html[i] != '/' && html[i] != '>'; ++i) tag.name += html[i];
  tag.name = LowerAscii(tag.name);
  for (;;) {
    while (i < n && (IsSpace(html[i]) || html[i] == '/')) ++i;
    if (i >= n) return false;
    if (html[i] == '>') {
      tag.after = i + 1;
      return true;
    }
    Attribute attribute;
    // The first character belongs to the name whatever it is ('=' included).
    size_t start = i++;
    while (i < n && !IsSpace(html[i]) && html[i] != '/' && html[i] != '>' && html[i] != '=') ++i;
    attribute.name = std::string(html.substr(start, i - start));
    size_t j = i;
    while (j < n && IsSpace(html[j])) ++j;
    if (j < n && html[j] == '=') {
      attribute.hasValue = true;
      i = j + 1;
      while (i < n && IsSpace(html[i])) ++i;
      if (i >= n) return false;
      if (html[i] == '"' || html[i] == '\'') {
        size_t close = html.find(html[i], i + 1);
        if (close == std::string_view::npos) return false;
        attribute.value = std::string(html.substr(i + 1, close - i - 1));
        i = close + 1;
      } else {
        start = i;
        while (i < n && !IsSpace(html[i]) && html[i] != '>') ++i;
        attribute.value = std::string(html.substr(start, i - start));
      }
    } else {
      i = j;
    }
    tag.attributes.push_back(std::move(attribute));
  }
}

// Where the end tag "</name" of a raw-text element starts, as browsers find it; npos if none.
size_t FindEndTag(std::string_view html, size_t from, std::string_view name) {
  for (size_t pos = html.find("</", from); pos != std::string_view::npos; pos = html.find("</", pos + 2)) {
    size_t after = pos + 2 + name.size();
    if (after > html.size()) return std::string_view::npos;
    if (LowerAscii(html.substr(pos + 2, name.size())) != name) continue;
    if (after == html.size() || IsSpace(html[after]) || html[after] == '/' || html[after] == '>') return pos;
  }
  return std::string_view::npos;
}

void AppendCodePoint(std::string& out, unsigned long code) {
  // Only ASCII matters for spotting a scheme; anything else stands as one non-ASCII byte.
  out += code < 0x80 ? static_cast<char>(code) : '\x80';
}

// The value as a browser reads it for a scheme check: character references decoded, blanks and
// control characters removed (browsers drop them from addresses), lower case.
std::string NormalizeForScheme(std::string_view value) {
  std::string decoded;
  for (size_t i = 0; i < value.size();) {
    if (value[i] == '&' && i + 1 < value.size() && value[i + 1] == '#') {
      size_t j = i + 2;
      bool hex = j < value.size() && (value[j] == 'x' || value[j] == 'X');
      if (hex) ++j;
      unsigned long code = 0;
      size_t digits = 0;
      for (; j < value.size(); ++j, ++digits) {
        char c = value[j];
        int digit = c >= '0' && c <= '9'          ? c - '0'
                    : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                  : -1;
        if (digit < 0) break;
        if (code < 0x110000) code = code * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
      }
      if (digits > 0) {
        if (j < value.size() && value[j] == ';') ++j;
        AppendCodePoint(decoded, code);
        i = j;
        continue;
      }
    }
    if (value[i] == '&') {
      static const struct {
        std::string_view name;
        char byte;
      } kNamed[] = {{"&colon;", ':'}, {"&Tab;", '\t'}, {"&NewLine;", '\n'}};
      bool found = false;
      for (const auto& named : kNamed) {
        if (value.substr(i, named.name.size()) == named.name) {
          decoded += named.byte;
          i += named.name.size();
          found = true;
          break;
        }
      }
      if (found) continue;
    }
    decoded += value[i++];
  }
  std::string compact;
  for (char c : decoded) {
    if (static_cast<unsigned char>(c) > 0x20 && c != 0x7F) compact += c;
  }
  return LowerAscii(compact);
}

bool IsDangerousAttribute(const Attribute& attribute) {
  std::string name = LowerAscii(attribute.name);
  if (name.size() >= 2 && name.compare(0, 2, "on") == 0) return true;
  if (name == "srcdoc") return true;
  // A name beginning with '=' is garbage, and written back after a bare attribute it would be read
  // as that attribute's value.
  if (name.front() == '=') return true;
  if (!attribute.hasValue) return false;
  // Anywhere in the value, not only at its start: SVG animation values are lists of addresses.
  std::string value = NormalizeForScheme(attribute.value);
  return value.find("javascript:") != std::string::npos || value.find("vbscript:") != std::string::npos;
}

void AppendStartTag(std::string& out, const Tag& tag) {
  out += '<';
  out += tag.name;
  for (const Attribute& attribute : tag.attributes) {
    if (IsDangerousAttribute(attribute)) continue;
    out += ' ';
    out += attribute.name;
    if (!attribute.hasValue) continue;
    std::string value = attribute.value;
    char quote = '"';
    if (value.find('"') != std::string::npos) {
      if (value.find('\'') == std::string::npos) {
        quote = '\'';
      } else {
        ReplaceAll(value, "\"", "&quot;");
      }
    }
    out += '=';
    out += quote;
    out += value;
    out += quote;
  }
  out += '>';
}

bool IsRawTextElement(const std::string& name) {
  static const char* const kRawText[] = {"style",  "textarea", "title",    "xmp",
                                         "iframe", "noembed",  "noframes", "noscript"};
  for (const char* raw : kRawText) {
    if (name == raw) return true;
  }
  return false;
}

}  // namespace

std::string SanitizeHtml(std::string_view html) {
  std::string out;
  out.reserve(html.size());
  const size_t n = html.size();
  size_t i = 0;
  while (i < n) {
    char c = html[i];
    if (c != '<') {
      out += c;
      ++i;
      continue;
    }
    char next = i + 1 < n ? html[i + 1] : '\0';
    bool startTag = IsAsciiLetter(next);
    bool endTag = next == '/' && i + 2 < n && IsAsciiLetter(html[i + 2]);
    if (startTag || endTag) {
      Tag tag;
      if (!ParseTag(html, i, tag)) break;
      i = tag.after;
      if (tag.end) {
        if (tag.name != "script") out += "</" + tag.name + ">";
        continue;
      }
      if (tag.name == "script") {
        size_t close = FindEndTag(html, i, "script");
        Tag closing;
        if (close == std::string_view::npos || !ParseTag(html, close, closing)) break;
        i = closing.after;
        continue;
      }
      // plaintext would turn the rest of the report into text.
      if (tag.name == "plaintext") continue;
      AppendStartTag(out, tag);
      if (IsRawTextElement(tag.name)) {
        // Browsers read this content as text up to the element's end tag; escaping its '<' keeps it
        // text even where they would not (inside SVG), and the element is always closed.
        size_t close = FindEndTag(html, i, tag.name);
        Tag closing;
        bool closed = close != std::string_view::npos && ParseTag(html, close, closing);
        std::string content(html.substr(i, closed ? close - i : std::string_view::npos));
        ReplaceAll(content, "<", "&lt;");
        out += content + "</" + tag.name + ">";
        i = closed ? closing.after : n;
      }
      continue;
    }
    if (next == '!' || next == '?' || next == '/') {
      // Comments, declarations and bogus comments show nothing in a table cell: dropped whole,
      // at least as far as a browser would take them.
      size_t end = html.compare(i, 4, "<!--") == 0 ? html.find("-->", i + 4) : html.find('>', i + 2);
      if (end == std::string_view::npos) break;
      i = end + (html[end] == '>' ? 1 : 3);
      continue;
    }
    out += "&lt;";
    ++i;
  }
  return out;
}

}  // namespace quorvex::exchange
