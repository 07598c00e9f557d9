#pragma once
// Makes page text safe to place into our own HTML report. The text of a watched page is outside
// input; the report is opened in the user's browser from a local file, so it must hold nothing that
// runs, loads a frame or navigates, while plain formatting (links, tables, fonts) stays.
#include <cstddef>
#include <string>
#include <string_view>

namespace quorvex::exchange {

// How much of a text is parsed: the HTML parser's work grows with the square of the open elements
// and of a tag's attributes, and a table cell is no place for a whole site.
constexpr size_t kSanitizeMaxBytes = 32 * 1024;
constexpr size_t kSanitizeMaxTags = 1024;  // counted as '<' bytes
// The parser rebuilds open formatting elements in every new block, so a short text can make a large
// tree; what is written stops growing here (the open elements are still closed).
constexpr size_t kSanitizeMaxOutput = 8 * kSanitizeMaxBytes;

// Parses html as an HTML5 parser does for the content of a table cell and writes the tree back:
//  - elements of an allow-list of plain formatting (b, i, p, div, span, table parts, lists, a, img,
//    font, headings, pre, code, blockquote, hr, ...) with an allow-list of attributes (href on a, src
//    on img, alt, title, sizes, alignment, colours, class, ...);
//  - href and src only with an address IsSafeAddress accepts; style only without escapes,
//    comments, at-rules or functions other than colours (so no url() or expression());
//  - script, style, frames, objects, embeds, media, templates, inputs, lists to pick from, SVG and
//    MathML, head elements (meta, base, link, title) are dropped with their content; other elements
//    are dropped and their content kept; comments and doctypes are dropped;
//  - text and attribute values are escaped anew, so none of the input's markup is copied.
// Bytes are kept as they came: UTF-8 text stays UTF-8, and in other text (Windows-1251) every byte of
// 0x80 and above is written back as that byte; a character reference to a letter outside ASCII is then
// written as a numeric reference. Only the first kSanitizeMaxBytes bytes, and of those only what comes
// before the (kSanitizeMaxTags + 1)th '<', are parsed, and the content written stops after
// kSanitizeMaxOutput bytes; the rest is left out. Never fails.
std::string SanitizeHtml(std::string_view html);

// Whether address may be a link or image target in the report: with blanks and control characters
// removed, it has no scheme (relative) or http, https or mailto, and does not begin with two slashes
// (an address on another host reached as a local file). address is plain text, not HTML.
bool IsSafeAddress(std::string_view address);

}  // namespace quorvex::exchange
