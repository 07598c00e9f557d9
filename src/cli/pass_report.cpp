#include "cli/pass_report.h"

#include <algorithm>
#include <map>
#include <utility>

#include "cli/beacon_text.h"
#include "engine/qvx_doc.h"
#include "model/val_page.h"
#include "platform/string_table.h"
#include "settings/settings.h"
#include "text/value_text.h"

namespace quorvex::cli {
namespace {

constexpr uint16_t kIdPageNotOpened = 61480;
constexpr uint16_t kIdReadStopped = 61482;
constexpr uint16_t kIdNoMatch = 61485;
// Values longer than this are shortened in the summary lines.
constexpr int kValueWidth = 60;

std::string ShowValue(const std::string& text) {
  return Show(text::Shorten(text, kValueWidth));
}

}  // namespace

std::string PageCutHint(size_t limit) {
  return "the page was cut at " + std::to_string(limit) +
         " bytes (CONNECTION.PageLimit); raise the limit with 'quorvex-cli settings CONNECTION.PageLimit N' (N up "
         "to " +
         std::to_string(settings::kMaxPageLimit) + ")";
}

std::string PageFailureReason(const engine::PageReport& page, int64_t overdueSeconds) {
  if (!page.started) {
    switch (page.refusal) {
      case engine::StartRefusal::BadAddress:
        return "the address cannot be used";
      case engine::StartRefusal::Offline:
        return "the machine is not on a network";
      case engine::StartRefusal::NoWorker:
        return "no thread could be started for the fetch";
      default:
        return "the fetch could not be started";
    }
  }
  const std::string why = page.error.empty() ? std::string() : " " + Show(page.error);
  switch (page.result) {
    case engine::FetchResultFailed:
      return Message(kIdPageNotOpened) + why;
    case engine::FetchResultStopped:
      return Message(kIdReadStopped) + why;
    case engine::FetchResultTimedOut:
      if (!page.error.empty()) return Show(page.error);
      return "no complete answer within " + std::to_string(overdueSeconds) + " seconds; the fetch was given up";
    default:
      return "fetch result " + std::to_string(page.result) + why;
  }
}

PassCounts PrintPassDetails(std::ostream& out, CatalogSession& session, const std::vector<engine::PageReport>& reports,
                            size_t pageLimit, int64_t overdueSeconds, const std::string& indent) {
  std::map<const model::WDValue*, std::string> paths;
  for (const BeaconEntry& entry : session.Beacons()) paths.emplace(entry.value, Show(entry.path));
  auto pathOf = [&paths](const model::WDValue* value) {
    auto it = paths.find(value);
    return it != paths.end() ? it->second : Show(value->GetName());
  };

  PassCounts counts;
  std::vector<std::pair<std::string, std::string>> changed;
  std::vector<std::pair<std::string, std::string>> failed;
  for (const engine::PageReport& page : reports) {
    ++counts.pages;
    if (page.PageFailed()) {
      const std::string reason = PageFailureReason(page, overdueSeconds) + " (" + Show(page.url) + ")";
      const model::WDValPage* record = session.Doc().FindPage(page.url, false);
      bool named = false;
      for (size_t i = 0; record && i < record->GetValueCount(); ++i) {
        const model::WDValue* value = record->GetValue(i);
        if (!value->IsEnabled()) continue;
        failed.emplace_back(pathOf(value), reason);
        named = true;
      }
      if (!named) failed.emplace_back(Show(page.url), reason);
      continue;
    }
    for (const engine::BeaconReport& beacon : page.beacons) {
      if (beacon.status != 0) {
        std::string reason = Message(kIdNoMatch);
        if (page.cut) reason += " " + PageCutHint(pageLimit);
        failed.emplace_back(pathOf(beacon.value), reason);
      } else if (beacon.changed) {
        changed.emplace_back(
            pathOf(beacon.value),
            (beacon.hadValue ? ShowValue(beacon.before) : std::string("(none)")) + " -> " + ShowValue(beacon.after));
      }
    }
  }
  std::sort(changed.begin(), changed.end());
  std::sort(failed.begin(), failed.end());
  for (const auto& [path, text] : changed) out << indent << "changed  " << path << ": " << text << "\n";
  for (const auto& [path, text] : failed) out << indent << "failed   " << path << ": " << text << "\n";
  counts.changed = changed.size();
  counts.failed = failed.size();
  return counts;
}

}  // namespace quorvex::cli
