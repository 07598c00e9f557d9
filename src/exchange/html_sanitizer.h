#pragma once
// Makes page text safe to place into our own HTML report. The text of a watched page is outside
// input; the report is opened in the user's browser from a local file, so anything in it that can
// run must go, while the visible markup (links, tables, fonts) stays.
#include <string>
#include <string_view>

namespace quorvex::exchange {

// Returns html with script elements, event-handler attributes (on...=), srcdoc attributes and
// attributes holding a javascript: or vbscript: address removed (entities and blanks inside the
// address do not hide it). Tags are tokenized the way browsers do and written back whole; comments
// and declarations are dropped; a '<' that starts no tag becomes "&lt;"; the content of
// raw-text elements (style, textarea, title, ...) has its '<' escaped and the element is closed;
// a tag cut off by the end of the text is dropped. Never fails.
std::string SanitizeHtml(std::string_view html);

}  // namespace quorvex::exchange
