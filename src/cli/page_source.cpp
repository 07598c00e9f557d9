#include "cli/page_source.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iostream>

#include "cli/beacon_text.h"
#include "cli/console_prompt.h"
#include "cli/pass_report.h"
#include "engine/fetch_session.h"
#include "engine/page_buffer.h"
#include "engine/page_fetcher.h"
#include "settings/app_context.h"
#include "text/code_page.h"

namespace quorvex::cli {
namespace {

constexpr size_t kReadBlockBytes = 64 * 1024;

// Feeds in to the page buffer as a fetch feeds a body, and stops reading as soon as the page is
// complete: an endless source (yes, /dev/zero) costs no more than the page limit.
bool ReadPage(std::istream& in, engine::PageBuffer& buffer) {
  char block[kReadBlockBytes];
  while (!buffer.IsComplete() && (in.read(block, sizeof block) || in.gcount() > 0)) {
    buffer.Append(block, static_cast<size_t>(in.gcount()));
  }
  return !in.bad();
}

}  // namespace

int32_t ParseCharset(const std::string& value) {
  if (value.size() == 1 && value[0] >= '0' && value[0] < '0' + text::kCharsetCount) return value[0] - '0';
  for (int32_t i = 0; i < text::kCharsetCount; ++i) {
    std::string_view label = text::CodePageLabel(i);
    if (label.size() == value.size() && std::equal(label.begin(), label.end(), value.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        }))
      return i;
  }
  return -1;
}

bool LoadPageSource(const std::string& source, int32_t charset, const std::string& command, CommandIo& io,
                    PageSource& page) {
  const settings::WDSettings* settings = settings::GetSettings();
  const engine::SessionConfig config =
      settings ? engine::SessionConfigFromSettings(*settings) : engine::SessionConfig();
  page.limit = engine::FetchSession(config).PageLimit();
  if (source != "-" && source.find("://") != std::string::npos) {
    ConsolePrompt prompt(io.err, false);
    if (!engine::CreateSession(config)) return false;
    engine::FetchOutcome outcome = engine::PageFetcher(*engine::CurrentSession(), {}).Fetch(source);
    if (outcome.result != engine::FetchResultOk) {
      engine::PageReport report;
      report.started = true;
      report.result = outcome.result;
      report.error = outcome.error;
      io.err << "quorvex-cli: " << command << ": cannot fetch '" << Show(source)
             << "': " << PageFailureReason(report, config.overallSeconds) << " (fetch result " << outcome.result
             << ")\n";
      return false;
    }
    page.text = std::move(outcome.text);
    page.cut = outcome.cut;
  } else {
    // The same buffer a fetch reads into, so a file gives the text its address would give.
    engine::PageBuffer buffer(page.limit);
    std::ifstream file;
    if (source != "-") file.open(source, std::ios::binary);
    if ((source != "-" && !file) || !ReadPage(source == "-" ? io.in : file, buffer)) {
      io.err << "quorvex-cli: " << command << ": cannot read '" << Show(source) << "'\n";
      return false;
    }
    page.cut = buffer.WasCut();
    page.text = buffer.TakeText();
  }
  text::ConvertCodePage(page.text, charset);
  return true;
}

}  // namespace quorvex::cli
