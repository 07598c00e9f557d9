// Report templates are files users edit, and page text placed into the report comes from the web:
// any bytes must render, and sanitized page text must hold nothing a browser would run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/catalog_report.h"
#include "exchange/html_sanitizer.h"

using namespace quorvex::exchange;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);

  std::string clean = SanitizeHtml(input);
  // What the sanitizer writes is already safe: a second pass, which would remove any script element,
  // handler or script address left in it, changes nothing.
  if (SanitizeHtml(clean) != clean) std::abort();

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
