#include "exchange/catalog_report.h"

#include "exchange/byte_text.h"
#include "exchange/html_sanitizer.h"
#include "platform/paths.h"
#include "text/time_format.h"

namespace quorvex::exchange {
namespace {

std::string EscapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string WithoutColons(std::string text) {
  ReplaceAll(text, ":", "");
  return text;
}

// The template's lines as a text-mode reader sees them: CR LF is a line end, the last line may lack
// one, and a final line end does not start another line.
std::vector<std::string_view> SplitLines(std::string_view text, std::string& storage) {
  storage.assign(text);
  ReplaceAll(storage, "\r\n", "\n");
  std::vector<std::string_view> lines;
  std::string_view rest(storage);
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    lines.push_back(rest.substr(0, end));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace

CatalogReport::CatalogReport(std::vector<ReportRow> rows, ReportTexts texts, int64_t now)
    : rows_(std::move(rows)), texts_(std::move(texts)), now_(now) {}

std::string CatalogReport::FormatDate(int64_t seconds) const {
  return text::FormatLocalTime(seconds, texts_.dateFormat.substr(0, kReportDateFormatBytes));
}

std::string CatalogReport::Render(std::string_view templateText) const {
  std::string out;
  // The report begins with the output of an empty line, before the first template line.
  ProcessLine({}, out);
  std::string storage;
  for (std::string_view line : SplitLines(templateText, storage)) ProcessLine(line, out);
  return out;
}

void CatalogReport::ProcessLine(std::string_view line, std::string& out) const {
  for (;;) {
    size_t start = line.find(kReportDirective);
    if (start == std::string_view::npos) {
      out.append(line);
      out += '\n';
      return;
    }
    out.append(line.substr(0, start));
    out += '\n';
    size_t close = line.find(']', start);
    if (close == std::string_view::npos) return;
    // "<!Quorvex", any blanks, "[", then the name: at least one byte, up to the ']'.
    size_t open = start + kReportDirective.size();
    while (open < close && (line[open] == ' ' || (line[open] >= '\t' && line[open] <= '\r'))) ++open;
    if (open >= close || line[open] != '[' || open + 1 == close) return;
    std::string name(line.substr(open + 1, std::min(close - open - 1, kReportDirectiveNameMax)));
    if (name.find(kReportTableKeyword) != std::string::npos) AppendTable(name, out);
    if (name.find(kReportDateKeyword) != std::string::npos) out += FormatDate(now_);
    size_t end = line.find('>', start);
    if (end == std::string_view::npos || end + 1 >= line.size()) return;
    line = line.substr(end + 1);
  }
}

void CatalogReport::AppendTable(const std::string& attributes, std::string& out) const {
  out += "<table " + attributes + ">\n";
  out += "\t<tr>\n";
  out += "\t\t<th width=200>" + texts_.nameHeader + "</th>\n";
  out += "\t\t<th>" + WithoutColons(texts_.valueHeader) + "</th>\n";
  out += "\t\t<th>" + WithoutColons(texts_.timeHeader) + "</th>\n";
  out += "\t</tr>";
  for (const ReportRow& row : rows_) {
    if (!row.enabled) continue;
    out += "\t<tr>\n";
    // An address can be a javascript: one: such a link gets no target.
    std::string link = IsSafeAddress(row.url) ? "<a href=\"" + EscapeHtml(row.url) + "\">" : "<a>";
    out += "\t\t<td width=200>" + link + EscapeHtml(row.name) + "</a></td>\n";
    if (row.kind == kContainerKindNumber) {
      out += "\t\t<td align=right>" + EscapeHtml(row.valueText);
      if (row.delta != 0) {
        bool rose = row.delta > 0;
        out += std::string("(<font color=") + (rose ? "blue>" : "red>") + (rose ? "+" : "-") +
               EscapeHtml(row.deltaText) + " " + "</font>)";
      }
      out += " " + EscapeHtml(row.unit) + "</td>\n";
    } else {
      out += "\t\t<td>" + SanitizeHtml(row.valueText) + "</td>\n";
    }
    int64_t shown = row.sampleTime ? *row.sampleTime : row.checkTime;
    out += "\t\t<td align=center>" + FormatDate(shown) + "</td>\n";
    out += "\t</tr>\n";
  }
  out += "</table>\n";
}

std::string CatalogReport::ToCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

ReportResult CatalogReport::WriteReport(const std::string& templatePath, const std::string& reportPath) const {
  ReportResult result;
  std::string templateText;
  if (platform::ReadWholeFile(templatePath, templateText, &result.detail, platform::kMaxTemplateFileBytes) !=
      platform::ReadResult::Ok) {
    if (result.detail.empty()) result.detail = "cannot open " + templatePath;
    result.error = ReportError::kNoTemplate;
    return result;
  }
  if (!platform::WriteFileAtomically(reportPath, ToCrLf(Render(templateText)), &result.detail)) {
    result.error = ReportError::kCannotWrite;
  }
  return result;
}

}  // namespace quorvex::exchange
