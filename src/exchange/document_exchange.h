#pragma once
// The document's exchange operations: exporting a beacon as a container file, importing container,
// shortcut and Glimmer files into the catalog, and the HTML catalog report. They talk to the user
// through platform::Prompt() with the language texts of platform/string_ids.h. UI thread only; the document must be
// the active document (model::ActiveDocument()) while they run.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/qvx_doc.h"
#include "exchange/catalog_report.h"
#include "exchange/container_beacon.h"
#include "model/group.h"
#include "model/value.h"

namespace quorvex::exchange {

// Import results, as the callers of ImportContainer expect them.
constexpr int kImportFailed = 0;
constexpr int kImportDone = 1;  // also when the user declined or a Glimmer file marked no value

// The template and report file names in the program folder.
constexpr const char* kReportTemplateName = "catblank.htm";
constexpr const char* kReportName = "catreport.htm";

// beacon as a container carries it: its page's address and schedule (the defaults without a page).
ContainerBeacon ContainerFromValue(const model::WDValue& beacon);

// Stores the folder of path (made absolute) in the setting ContainerPlace, when settings exist.
void RememberContainerPlace(const std::string& path);

// Writes beacon to path as a container file and remembers its folder. On failure shows 61451 with the
// path and reason and returns false; an existing file is then left as it was.
bool ExportContainer(const std::string& path, const model::WDValue& beacon);

// Imports the beacons of the file at path into doc. With ask, first asks 61541 (the path filled in);
// No returns kImportDone without importing. A file whose beacons name local files (file: addresses or
// plain paths) as page addresses is imported only after Yes to 61542, asked whatever ask says, with
// those files filled in one per line. Each new beacon gets its kind, then name, address,
// pattern, description and unit (joining the page of its address), then the file's schedule, and is
// filed at the end of folder (the catalog root when null); doc is marked modified. made, when given,
// receives the new beacons in order (the last one is the one to select). Failures show 61451 (file
// unreadable) or 61540 (no beacon in it) and return kImportFailed.
int ImportContainer(engine::WDQvxDoc& doc, const std::string& path, bool ask, model::WDGroup* folder = nullptr,
                    std::vector<model::WDValue*>* made = nullptr);

// A new beacon in doc made as importing beacon's container would make it (name, address, pattern,
// kind, unit, description, schedule), plus its character set and history mode; not filed in any folder.
model::WDValue* DuplicateBeacon(engine::WDQvxDoc& doc, const model::WDValue& beacon);

// The report rows of doc: pages in list order, each page's beacons in order (disabled ones included,
// marked; the report leaves them out).
std::vector<ReportRow> ReportRowsOf(const engine::WDQvxDoc& doc);
// The report texts of the current language.
ReportTexts CurrentReportTexts();

// The template: WorkDirectory()/catblank.htm.
std::string DefaultReportTemplate();
// The report: WorkDir/catreport.htm when the setting WorkDir is set, else beside the default catalog
// (the installed program folder is not the user's to write).
std::string DefaultReportPath();

// Writes the report of doc from templatePath to reportPath. A missing template shows 61521, LF,
// 61451; an unwritable report 61451; both return false. Opening the result is the caller's choice.
bool MakeCatalogReport(const engine::WDQvxDoc& doc, const std::string& templatePath, const std::string& reportPath);

}  // namespace quorvex::exchange
