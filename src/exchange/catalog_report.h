#pragma once
// The HTML catalog report: a template copied through line by line, with directives of the form
// <!Quorvex [NAME]> replaced by the beacon table (NAME holds CATALOGTABLE, and the whole NAME becomes
// the table tag's attributes) and by today's date (NAME holds DATE_NOW).
//
// The report works on plain rows so it can be built and tested without a catalog; the document
// fills the rows from its pages. Values from the watched pages are outside input: page text is
// passed through SanitizeHtml and names, addresses and units are escaped before they are written.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/container_beacon.h"

namespace quorvex::exchange {

// Marks a directive in the template.
constexpr std::string_view kReportDirective = "<!Quorvex ";
constexpr std::string_view kReportTableKeyword = "CATALOGTABLE";
constexpr std::string_view kReportDateKeyword = "DATE_NOW";
// Directive names are read up to this many bytes.
constexpr size_t kReportDirectiveNameMax = 254;
// Report dates use the date part of the date-and-time format: its first 8 bytes.
constexpr size_t kReportDateFormatBytes = 8;

struct ReportRow {
  std::string name;
  std::string url;
  int kind = kContainerKindText;
  bool enabled = true;
  // A number: the newest sample's text with tags stripped. Other kinds: the newest sample's raw page
  // text, links already made absolute (sanitized when written).
  std::string valueText;
  double delta = 0;       // a number's latest change; 0 shows no change
  std::string deltaText;  // |delta| as the catalog formats numbers
  std::string unit;
  std::optional<int64_t> sampleTime;  // the newest sample; none when the beacon was never sampled
  int64_t checkTime = 0;              // the page's last check, shown for a beacon without samples
};

struct ReportTexts {
  std::string nameHeader;   // language text 61459
  std::string valueHeader;  // 1010 (its ':' are removed)
  std::string timeHeader;   // 1012 (its ':' are removed)
  std::string dateFormat;   // 32812, the date-and-time format
};

enum class ReportError {
  kNone,
  kNoTemplate,   // the template is missing or unreadable (61521, LF, 61451)
  kCannotWrite,  // the report cannot be written (61451)
};

struct ReportResult {
  ReportError error = ReportError::kNone;
  std::string detail;  // the system's reason, for the command line
  bool ok() const { return error == ReportError::kNone; }
};

class CatalogReport {
 public:
  // rows in catalog order (pages in list order, each page's beacons in order); disabled rows are
  // left out. now is the report's date.
  CatalogReport(std::vector<ReportRow> rows, ReportTexts texts, int64_t now);

  // The report for templateText, with LF line ends. The output starts with an empty line; a line
  // without directive is copied; text before a directive ends its output line; the text after the
  // directive's '>' continues the line the generated text ended on; a directive without ']' or
  // with an empty name drops the rest of its line.
  std::string Render(std::string_view templateText) const;

  // Reads templatePath, renders it and writes reportPath with CR LF line ends, replacing an
  // existing report only once the new one is complete.
  ReportResult WriteReport(const std::string& templatePath, const std::string& reportPath) const;

  // Every LF not already preceded by CR becomes CR LF.
  static std::string ToCrLf(std::string_view text);

 private:
  void ProcessLine(std::string_view line, std::string& out) const;
  void AppendTable(const std::string& attributes, std::string& out) const;
  std::string FormatDate(int64_t seconds) const;

  std::vector<ReportRow> rows_;
  ReportTexts texts_;
  int64_t now_;
};

}  // namespace quorvex::exchange
