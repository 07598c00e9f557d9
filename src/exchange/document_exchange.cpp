#include "exchange/document_exchange.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "engine/page_fetcher.h"
#include "exchange/container_reader.h"
#include "exchange/container_writer.h"
#include "model/document_hooks.h"
#include "model/fresh_freq.h"
#include "model/val_page.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "platform/user_prompt.h"
#include "settings/app_context.h"
#include "text/value_text.h"

namespace quorvex::exchange {
namespace {

namespace ids = platform::ids;

void ShowError(const std::string& text) {
  platform::Prompt().ShowMessage(text, platform::PromptIcon::Exclamation);
}

// The system's reason names the file; without one the path stands in.
std::string FileErrorText(const std::string& path, const std::string& reason) {
  return platform::GetString(ids::kMsgCantOpenFile) + "\n" + (reason.empty() ? path : reason);
}

}  // namespace

ContainerBeacon ContainerFromValue(const model::WDValue& beacon) {
  ContainerBeacon out;
  out.name = beacon.GetName();
  out.url = beacon.GetURL();
  out.pattern = beacon.GetPattern();
  out.kind = beacon.GetKind();
  out.unit = beacon.GetUnit();
  out.description = beacon.GetDescription();
  if (const model::WDValPage* page = beacon.GetPage()) {
    out.atStart = page->m_freq.m_bAtStartOnly != 0;
    out.interval = page->m_freq.m_nCount;
    out.intervalUnit = page->m_freq.m_nUnit;
  }
  return out;
}

void RememberContainerPlace(const std::string& path) {
  settings::WDSettings* settings = settings::GetSettings();
  if (!settings) return;
  std::error_code ignored;
  std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
  settings->m_strContainerPlace = absolute.parent_path().string();
}

bool ExportContainer(const std::string& path, const model::WDValue& beacon) {
  RememberContainerPlace(path);
  std::string error;
  if (!WriteContainerFile(path, ContainerFromValue(beacon), platform::GetString(ids::kDateTimeFormat), platform::Now(),
                          &error)) {
    ShowError(FileErrorText(path, error));
    return false;
  }
  return true;
}

namespace {

// The kind comes first, so that a number keeps the container's unit. nullptr when the properties are refused.
model::WDValue* NewBeaconFrom(engine::WDQvxDoc& doc, const ContainerBeacon& beacon) {
  model::WDValue* value = doc.NewBeacon();
  value->SetKind(static_cast<uint16_t>(beacon.kind));
  if (!value->SetProperties(beacon.name, beacon.url, beacon.pattern, beacon.description, beacon.unit)) return nullptr;
  model::WDFreshFreq freq;
  freq.m_bAtStartOnly = beacon.atStart ? 1 : 0;
  freq.m_nUnit = beacon.intervalUnit;
  freq.m_nCount = beacon.interval;
  value->SetFrequency(freq);
  return value;
}

}  // namespace

model::WDValue* DuplicateBeacon(engine::WDQvxDoc& doc, const model::WDValue& beacon) {
  model::WDValue* value = NewBeaconFrom(doc, ContainerFromValue(beacon));
  if (!value) return nullptr;
  value->SetCharset(beacon.GetCharset());
  value->GetHistory().SetKeepAll(beacon.GetHistory().GetKeepAll());
  value->SetEnabled(beacon.IsEnabled());
  return value;
}

int ImportContainer(engine::WDQvxDoc& doc, const std::string& path, bool ask, model::WDGroup* folder,
                    std::vector<model::WDValue*>* made) {
  if (ask &&
      !platform::Prompt().AskYesNo(platform::FillPlaceholders(platform::GetString(ids::kAskImportContainer), {path}))) {
    return kImportDone;
  }
  ContainerReadResult read = ContainerReader::ReadFile(path);
  if (read.error == ContainerError::kCannotOpen) {
    ShowError(FileErrorText(path, read.reason));
    return kImportFailed;
  }
  if (!read.ok()) {
    ShowError(platform::GetString(ids::kMsgNoBeaconInFile) + "\n" + path + "\n(" + read.reason + ")");
    return kImportFailed;
  }
  // A local file as page address would be read and shown, and could reach a report the user shares:
  // that is the user's choice, never the file's.
  std::string localFiles;
  for (const ContainerBeacon& beacon : read.beacons) {
    std::string local;
    if (!engine::LocalFilePath(beacon.url, local)) continue;
    if (local.empty()) local = beacon.url;
    if (("\n" + localFiles).find("\n" + local + "\n") == std::string::npos) localFiles += local + "\n";
  }
  if (!localFiles.empty()) {
    localFiles.pop_back();
    if (!platform::Prompt().AskYesNo(
            platform::FillPlaceholders(platform::GetString(ids::kAskImportLocalFile), {localFiles}))) {
      return kImportDone;
    }
  }
  // The beacons find their pages through the active document: make sure that is doc.
  struct ActiveGuard {
    model::DocumentHooks* previous = model::ActiveDocument();
    ~ActiveGuard() { model::SetActiveDocument(previous); }
  } guard;
  model::SetActiveDocument(&doc);
  model::WDGroup* target = folder ? folder : doc.GetRoot();
  for (const ContainerBeacon& beacon : read.beacons) {
    model::WDValue* value = NewBeaconFrom(doc, beacon);
    if (!value) {
      ShowError(platform::GetString(ids::kMsgNoBeaconInFile) + "\n" + path);
      return kImportFailed;
    }
    if (target) target->AddChild(value);
    if (made) made->push_back(value);
  }
  doc.SetModifiedFlag(true);
  return kImportDone;
}

std::vector<ReportRow> ReportRowsOf(const engine::WDQvxDoc& doc) {
  std::vector<ReportRow> rows;
  for (const auto& page : doc.GetPages()) {
    for (size_t i = 0; i < page->GetValueCount(); ++i) {
      const model::WDValue& value = *page->GetValue(i);
      ReportRow row;
      row.name = value.GetName();
      row.url = page->GetURL();
      row.kind = value.GetKind();
      row.enabled = value.IsEnabled();
      if (row.kind == model::kKindNumber) {
        row.valueText = value.GetLastText(true, 0);
        row.delta = value.GetLastDelta();
        row.deltaText = text::FormatNumber(std::fabs(row.delta), 2);
        row.unit = value.GetUnit();
      } else {
        row.valueText = value.GetLastText(false, 0);
      }
      int64_t sampled = value.GetLastSampleTime();
      if (sampled != model::kNoSampleTime) row.sampleTime = sampled;
      row.checkTime = page->m_timeFetched;
      rows.push_back(std::move(row));
    }
  }
  return rows;
}

ReportTexts CurrentReportTexts() {
  return ReportTexts{platform::GetString(ids::kReportNameColumn), platform::GetString(ids::kLabelValue),
                     platform::GetString(ids::kLabelDate), platform::GetString(ids::kDateTimeFormat)};
}

std::string DefaultReportTemplate() {
  settings::WDSettings* settings = settings::GetSettings();
  std::string folder = settings ? settings->WorkDirectory() : platform::InstalledDataDir();
  return platform::JoinPath(folder, kReportTemplateName);
}

std::string DefaultReportPath() {
  settings::WDSettings* settings = settings::GetSettings();
  if (settings && !settings->m_strWorkDir.empty()) return platform::JoinPath(settings->m_strWorkDir, kReportName);
  return platform::JoinPath(platform::DataDir(), kReportName);
}

bool MakeCatalogReport(const engine::WDQvxDoc& doc, const std::string& templatePath, const std::string& reportPath) {
  CatalogReport report(ReportRowsOf(doc), CurrentReportTexts(), platform::Now());
  std::string folder = std::filesystem::path(reportPath).parent_path().string();
  if (!folder.empty()) platform::MakeFolders(folder);
  ReportResult result = report.WriteReport(templatePath, reportPath);
  if (result.error == ReportError::kNoTemplate) {
    ShowError(platform::GetString(ids::kMsgInstallationDamaged) + "\n" + FileErrorText(templatePath, result.detail));
    return false;
  }
  if (result.error == ReportError::kCannotWrite) {
    ShowError(FileErrorText(reportPath, result.detail));
    return false;
  }
  return true;
}

}  // namespace quorvex::exchange
