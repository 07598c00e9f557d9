#pragma once
// How the command line tells what a pass of fetches did: changed values, failures with their reasons,
// and the hint when a page was cut at the page limit. Shared by check, run and test-pattern.
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "cli/catalog_session.h"
#include "engine/fetch_pass.h"

namespace quorvex::cli {

// Added to "the pattern found nothing" when the page had been cut at limit bytes.
std::string PageCutHint(size_t limit);

// Why a page failed (fetch result or refusal), in the user's language where the language has a text,
// followed by the fetch's own reason (an HTTP status, the network's reason) when it gave one.
std::string PageFailureReason(const engine::PageReport& page, int64_t overdueSeconds);

struct PassCounts {
  size_t pages = 0;
  size_t changed = 0;
  size_t failed = 0;  // pages that failed, plus beacons whose pattern found nothing
};

// Writes "changed" and "failed" lines, sorted by beacon path, and returns the counts. pageLimit is the
// session's, for the cut hint.
PassCounts PrintPassDetails(std::ostream& out, CatalogSession& session, const std::vector<engine::PageReport>& reports,
                            size_t pageLimit, int64_t overdueSeconds, const std::string& indent = "");

}  // namespace quorvex::cli
