#include "exchange/html_sanitizer.h"

#include <gumbo.h>

#include <algorithm>
#include <vector>

#include "exchange/byte_text.h"
#include "text/display.h"

namespace quorvex::exchange {
namespace {

// Outside UTF-8, each byte from 0x80 goes through the parser as a private-use letter and comes back
// as that byte.
constexpr unsigned kByteLetterBase = 0xF700;

enum class Handling { kKeep, kUnwrap, kDrop };

Handling HandlingOf(const GumboNode& node) {
  if (node.type != GUMBO_NODE_ELEMENT || node.v.element.tag_namespace != GUMBO_NAMESPACE_HTML) return Handling::kDrop;
  switch (node.v.element.tag) {
    case GUMBO_TAG_ARTICLE:
    case GUMBO_TAG_SECTION:
    case GUMBO_TAG_NAV:
    case GUMBO_TAG_ASIDE:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
    case GUMBO_TAG_HEADER:
    case GUMBO_TAG_FOOTER:
    case GUMBO_TAG_ADDRESS:
    case GUMBO_TAG_P:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_BLOCKQUOTE:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_UL:
    case GUMBO_TAG_LI:
    case GUMBO_TAG_DL:
    case GUMBO_TAG_DT:
    case GUMBO_TAG_DD:
    case GUMBO_TAG_FIGURE:
    case GUMBO_TAG_FIGCAPTION:
    case GUMBO_TAG_MAIN:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_A:
    case GUMBO_TAG_EM:
    case GUMBO_TAG_STRONG:
    case GUMBO_TAG_SMALL:
    case GUMBO_TAG_S:
    case GUMBO_TAG_CITE:
    case GUMBO_TAG_Q:
    case GUMBO_TAG_DFN:
    case GUMBO_TAG_ABBR:
    case GUMBO_TAG_DATA:
    case GUMBO_TAG_TIME:
    case GUMBO_TAG_CODE:
    case GUMBO_TAG_VAR:
    case GUMBO_TAG_SAMP:
    case GUMBO_TAG_KBD:
    case GUMBO_TAG_SUB:
    case GUMBO_TAG_SUP:
    case GUMBO_TAG_I:
    case GUMBO_TAG_B:
    case GUMBO_TAG_U:
    case GUMBO_TAG_MARK:
    case GUMBO_TAG_RUBY:
    case GUMBO_TAG_RT:
    case GUMBO_TAG_RP:
    case GUMBO_TAG_RB:
    case GUMBO_TAG_RTC:
    case GUMBO_TAG_BDI:
    case GUMBO_TAG_BDO:
    case GUMBO_TAG_SPAN:
    case GUMBO_TAG_BR:
    case GUMBO_TAG_WBR:
    case GUMBO_TAG_INS:
    case GUMBO_TAG_DEL:
    case GUMBO_TAG_IMG:
    case GUMBO_TAG_TABLE:
    case GUMBO_TAG_CAPTION:
    case GUMBO_TAG_COLGROUP:
    case GUMBO_TAG_COL:
    case GUMBO_TAG_TBODY:
    case GUMBO_TAG_THEAD:
    case GUMBO_TAG_TFOOT:
    case GUMBO_TAG_TR:
    case GUMBO_TAG_TD:
    case GUMBO_TAG_TH:
    case GUMBO_TAG_DETAILS:
    case GUMBO_TAG_SUMMARY:
    case GUMBO_TAG_ACRONYM:
    case GUMBO_TAG_STRIKE:
    case GUMBO_TAG_BIG:
    case GUMBO_TAG_CENTER:
    case GUMBO_TAG_FONT:
    case GUMBO_TAG_NOBR:
    case GUMBO_TAG_TT:
      return Handling::kKeep;
    // Code, style, other documents and their fallbacks, and what belongs in a head: nothing of it is
    // page text worth showing.
    case GUMBO_TAG_HEAD:
    case GUMBO_TAG_TITLE:
    case GUMBO_TAG_BASE:
    case GUMBO_TAG_LINK:
    case GUMBO_TAG_META:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_NOSCRIPT:
    case GUMBO_TAG_TEMPLATE:
    case GUMBO_TAG_IFRAME:
    case GUMBO_TAG_EMBED:
    case GUMBO_TAG_OBJECT:
    case GUMBO_TAG_PARAM:
    case GUMBO_TAG_VIDEO:
    case GUMBO_TAG_AUDIO:
    case GUMBO_TAG_SOURCE:
    case GUMBO_TAG_TRACK:
    case GUMBO_TAG_CANVAS:
    case GUMBO_TAG_MAP:
    case GUMBO_TAG_AREA:
    case GUMBO_TAG_SELECT:
    case GUMBO_TAG_DATALIST:
    case GUMBO_TAG_OPTGROUP:
    case GUMBO_TAG_OPTION:
    case GUMBO_TAG_INPUT:
    case GUMBO_TAG_KEYGEN:
    case GUMBO_TAG_APPLET:
    case GUMBO_TAG_BGSOUND:
    case GUMBO_TAG_FRAME:
    case GUMBO_TAG_FRAMESET:
    case GUMBO_TAG_NOFRAMES:
    case GUMBO_TAG_NOEMBED:
    case GUMBO_TAG_ISINDEX:
      return Handling::kDrop;
    default:
      return Handling::kUnwrap;
  }
}

bool IsVoid(GumboTag tag) {
  return tag == GUMBO_TAG_BR || tag == GUMBO_TAG_WBR || tag == GUMBO_TAG_HR || tag == GUMBO_TAG_IMG ||
         tag == GUMBO_TAG_COL;
}

bool IsPlainAttribute(std::string_view name) {
  static constexpr std::string_view kPlain[] = {
      "title",  "alt",   "width",   "height",   "colspan",     "rowspan",     "align", "valign",  "color",
      "size",   "face",  "border",  "bgcolor",  "cellpadding", "cellspacing", "class", "dir",     "lang",
      "start",  "type",  "span",    "nowrap",   "scope",       "headers",     "abbr",  "summary", "hspace",
      "vspace", "clear", "noshade", "reversed", "value",       "datetime"};
  for (std::string_view plain : kPlain) {
    if (name == plain) return true;
  }
  return false;
}

// Plain declarations only: no escapes or comments that could spell a word in pieces, no at-rules,
// no functions but colours (url(), expression(), image-set() and the like load or run something).
bool IsHarmlessStyle(std::string_view style) {
  std::string css = LowerAscii(style);
  if (css.find_first_of("\\@<>&") != std::string::npos || css.find("/*") != std::string::npos) return false;
  for (size_t open = css.find('('); open != std::string::npos; open = css.find('(', open + 1)) {
    size_t start = open;
    while (start > 0 && ((css[start - 1] >= 'a' && css[start - 1] <= 'z') || css[start - 1] == '-')) --start;
    std::string_view function = std::string_view(css).substr(start, open - start);
    if (function != "rgb" && function != "rgba" && function != "hsl" && function != "hsla") return false;
  }
  return true;
}

bool IsKeptAttribute(GumboTag tag, const GumboAttribute& attribute) {
  if (attribute.attr_namespace != GUMBO_ATTR_NAMESPACE_NONE) return false;
  std::string_view name = attribute.name;
  if (name == "href") return tag == GUMBO_TAG_A && IsSafeAddress(attribute.value);
  if (name == "src") return tag == GUMBO_TAG_IMG && IsSafeAddress(attribute.value);
  if (name == "style") return IsHarmlessStyle(attribute.value);
  return IsPlainAttribute(name);
}

// Writes the parser's UTF-8 back as markup-free text in the input's own encoding.
class Writer {
 public:
  explicit Writer(bool utf8) : utf8_(utf8) {}

  void Escaped(std::string_view text, bool inAttribute) {
    for (size_t i = 0; i < text.size();) {
      unsigned char c = static_cast<unsigned char>(text[i]);
      if (c < 0x80) {
        if (c == '&') {
          out_ += "&amp;";
        } else if (c == '<') {
          out_ += "&lt;";
        } else if (c == '>') {
          out_ += "&gt;";
        } else if (c == '"' && inAttribute) {
          out_ += "&quot;";
        } else {
          out_ += static_cast<char>(c);
        }
        ++i;
        continue;
      }
      // The parser writes well-formed UTF-8 only.
      size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
      length = std::min(length, text.size() - i);
      if (utf8_) {
        out_.append(text.substr(i, length));
      } else {
        unsigned code = c & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        if (code >= kByteLetterBase + 0x80 && code <= kByteLetterBase + 0xFF) {
          out_ += static_cast<char>(code - kByteLetterBase);
        } else {
          out_ += "&#" + std::to_string(code) + ";";
        }
      }
      i += length;
    }
  }
  void Raw(std::string_view text) { out_.append(text); }
  size_t Size() const { return out_.size(); }
  std::string Take() { return std::move(out_); }

 private:
  bool utf8_;
  std::string out_;
};

void WriteStartTag(const GumboElement& element, Writer& writer) {
  writer.Raw("<");
  writer.Raw(gumbo_normalized_tagname(element.tag));
  for (unsigned i = 0; i < element.attributes.length; ++i) {
    const auto& attribute = *static_cast<const GumboAttribute*>(element.attributes.data[i]);
    if (!IsKeptAttribute(element.tag, attribute)) continue;
    writer.Raw(" ");
    writer.Raw(attribute.name);
    if (*attribute.value == '\0') continue;
    writer.Raw("=\"");
    writer.Escaped(attribute.value, true);
    writer.Raw("\"");
  }
  writer.Raw(">");
  // A parser drops a line break right after <pre>: one that belongs to the text needs another.
  if (element.tag == GUMBO_TAG_PRE && element.children.length > 0) {
    const auto& first = *static_cast<const GumboNode*>(element.children.data[0]);
    if ((first.type == GUMBO_NODE_TEXT || first.type == GUMBO_NODE_WHITESPACE) && first.v.text.text[0] == '\n') {
      writer.Raw("\n");
    }
  }
}

// The part of html that is parsed (see kSanitizeMaxBytes), not ending inside a UTF-8 letter.
std::string_view Bounded(std::string_view html) {
  if (html.size() > kSanitizeMaxBytes) {
    size_t end = kSanitizeMaxBytes;
    for (int back = 0; back < 3 && end > 0 && (static_cast<unsigned char>(html[end]) & 0xC0) == 0x80; ++back) --end;
    html = html.substr(0, end);
  }
  size_t tags = 0;
  for (size_t i = 0; i < html.size(); ++i) {
    if (html[i] == '<' && ++tags > kSanitizeMaxTags) return html.substr(0, i);
  }
  return html;
}

std::string ByteLettersAsUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out += c;
      continue;
    }
    unsigned code = kByteLetterBase + byte;
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
  return out;
}

}  // namespace

bool IsSafeAddress(std::string_view address) {
  std::string compact;
  for (char c : address) {
    if (static_cast<unsigned char>(c) > 0x20 && c != 0x7F) compact += c;
  }
  auto isSlash = [](char c) { return c == '/' || c == '\\'; };
  if (compact.size() >= 2 && isSlash(compact[0]) && isSlash(compact[1])) return false;
  size_t colon = compact.find(':');
  if (colon == std::string::npos || colon > compact.find_first_of("/?#")) return true;
  std::string scheme = LowerAscii(std::string_view(compact).substr(0, colon));
  return scheme == "http" || scheme == "https" || scheme == "mailto";
}

std::string SanitizeHtml(std::string_view html) {
  std::string_view bounded = Bounded(html);
  const bool utf8 = text::IsValidUtf8(bounded);
  std::string converted;
  if (!utf8) {
    converted = ByteLettersAsUtf8(bounded);
    bounded = converted;
  }
  GumboOptions options = kGumboDefaultOptions;
  options.fragment_context = GUMBO_TAG_TD;
  options.fragment_namespace = GUMBO_NAMESPACE_HTML;
  options.max_errors = 0;
  GumboOutput* output = gumbo_parse_with_options(&options, bounded.data(), bounded.size());

  // Walked with a stack of its own: nesting is as deep as the page makes it.
  struct Level {
    const GumboVector* children;
    unsigned next;
    const char* endTag;  // written when the level is done; null for dropped elements and void ones
  };
  Writer writer(utf8);
  std::vector<Level> levels{{&output->root->v.element.children, 0, nullptr}};
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.next == level.children->length) {
      if (level.endTag) {
        writer.Raw("</");
        writer.Raw(level.endTag);
        writer.Raw(">");
      }
      levels.pop_back();
      continue;
    }
    if (writer.Size() > kSanitizeMaxOutput) {
      level.next = level.children->length;
      continue;
    }
    const auto& node = *static_cast<const GumboNode*>(level.children->data[level.next++]);
    if (node.type == GUMBO_NODE_TEXT || node.type == GUMBO_NODE_WHITESPACE || node.type == GUMBO_NODE_CDATA) {
      writer.Escaped(node.v.text.text, false);
      continue;
    }
    if (node.type != GUMBO_NODE_ELEMENT && node.type != GUMBO_NODE_TEMPLATE) continue;  // comments
    Handling handling = HandlingOf(node);
    if (handling == Handling::kDrop) continue;
    const GumboElement& element = node.v.element;
    const char* endTag = nullptr;
    if (handling == Handling::kKeep) {
      WriteStartTag(element, writer);
      if (!IsVoid(element.tag)) endTag = gumbo_normalized_tagname(element.tag);
    }
    levels.push_back({&element.children, 0, endTag});
  }
  gumbo_destroy_output(&options, output);
  return writer.Take();
}

}  // namespace quorvex::exchange
