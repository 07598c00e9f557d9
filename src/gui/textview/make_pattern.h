#pragma once
// The pattern maker behind the page-source pane's "Make pattern": a search pattern whose value is the
// selected stretch of a page. Pure function, any thread.
#include <cstddef>
#include <string>

namespace quorvex::gui {

// A pattern that finds the length bytes from start in page (the page text as a check sees it), or ""
// when none can be made for that stretch.
std::string MakePatternFor(const std::string& page, size_t start, size_t length);

}  // namespace quorvex::gui
