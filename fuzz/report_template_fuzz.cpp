// Report templates are files users edit, and page text placed into the report comes from the web:
// any bytes must render, and sanitized page text must hold nothing a browser would run.
#include <gumbo.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/catalog_report.h"
#include "exchange/html_sanitizer.h"

using namespace quorvex::exchange;

namespace {

bool Contains(std::initializer_list<GumboTag> tags, GumboTag tag) {
  return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

// Parses the sanitizer's output again, as the browser does when it opens the report, and aborts on
// any element or attribute that runs, loads a document or navigates. Kept apart from the sanitizer's
// allow-list on purpose: this is what must never come out, whatever the allow-list holds.
void CheckInert(const std::string& html) {
  GumboOptions options = kGumboDefaultOptions;
  options.fragment_context = GUMBO_TAG_TD;
  options.max_errors = 0;
  GumboOutput* output = gumbo_parse_with_options(&options, html.data(), html.size());
  std::vector<const GumboNode*> pending(1, output->root);
  while (!pending.empty()) {
    const GumboNode* node = pending.back();
    pending.pop_back();
    if (node->type == GUMBO_NODE_TEMPLATE) std::abort();
    if (node->type != GUMBO_NODE_ELEMENT) continue;
    const GumboElement& element = node->v.element;
    if (element.tag_namespace != GUMBO_NAMESPACE_HTML) std::abort();
    if (Contains({GUMBO_TAG_SCRIPT,   GUMBO_TAG_STYLE, GUMBO_TAG_IFRAME,  GUMBO_TAG_FRAME,    GUMBO_TAG_FRAMESET,
                  GUMBO_TAG_OBJECT,   GUMBO_TAG_EMBED, GUMBO_TAG_APPLET,  GUMBO_TAG_META,     GUMBO_TAG_BASE,
                  GUMBO_TAG_LINK,     GUMBO_TAG_FORM,  GUMBO_TAG_INPUT,   GUMBO_TAG_BUTTON,   GUMBO_TAG_NOSCRIPT,
                  GUMBO_TAG_TEXTAREA, GUMBO_TAG_XMP,   GUMBO_TAG_NOEMBED, GUMBO_TAG_NOFRAMES, GUMBO_TAG_PLAINTEXT,
                  GUMBO_TAG_AREA,     GUMBO_TAG_AUDIO, GUMBO_TAG_VIDEO,   GUMBO_TAG_SOURCE,   GUMBO_TAG_MARQUEE},
                 element.tag)) {
      std::abort();
    }
    for (unsigned i = 0; i < element.attributes.length; ++i) {
      const auto& attribute = *static_cast<const GumboAttribute*>(element.attributes.data[i]);
      std::string_view name = attribute.name;
      std::string value = attribute.value;
      std::transform(value.begin(), value.end(), value.begin(),
                     [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
      if (name.substr(0, 2) == "on" || name == "srcdoc" || name == "srcset" || name == "action" ||
          name == "formaction" || name == "data" || name == "background" || name == "http-equiv") {
        std::abort();
      }
      if ((name == "href" || name == "src") && !IsSafeAddress(attribute.value)) std::abort();
      if (name == "style" && (value.find("url") != std::string::npos || value.find("expression") != std::string::npos ||
                              value.find('\\') != std::string::npos)) {
        std::abort();
      }
    }
    for (unsigned i = 0; i < element.children.length; ++i) {
      pending.push_back(static_cast<const GumboNode*>(element.children.data[i]));
    }
  }
  gumbo_destroy_output(&options, output);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);

  CheckInert(SanitizeHtml(input));

  std::vector<ReportRow> rows(3);
  rows[0].kind = kContainerKindText;
  rows[0].valueText = std::string(input);
  rows[1].kind = kContainerKindNumber;
  rows[1].delta = -1;
  rows[1].name = std::string(input.substr(0, 64));
  rows[2].enabled = false;
  // The input serves as template and as date format.
  CatalogReport report(rows, ReportTexts{"N", "V:", "T:", std::string(input.substr(0, 12))}, 1700000000);
  report.Render(input);
  return 0;
}
