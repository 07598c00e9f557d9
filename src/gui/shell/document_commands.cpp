#include "gui/shell/document_commands.h"

#include <QFileDialog>
#include <QStringList>

#include "engine/qvx_doc.h"
#include "exchange/document_exchange.h"
#include "gui/shell/gui_text.h"
#include "platform/command_ids.h"
#include "platform/paths.h"
#include "platform/string_ids.h"
#include "settings/app_context.h"
#include "settings/open_target.h"

namespace quorvex::gui {
namespace {

using namespace platform::cmd;

// The import command's filter, as it always read.
constexpr char kImportFilter[] = "Quorvex Files(*.bcn);;Glimmer Files(*.gm);;All Files(*)";

bool MakeReport(engine::WDQvxDoc& doc) {
  const std::string report = exchange::DefaultReportPath();
  if (!exchange::MakeCatalogReport(doc, exchange::DefaultReportTemplate(), report)) return false;
  settings::OpenTarget(report);
  return true;
}

}  // namespace

bool IsDocumentCommand(uint16_t id) {
  return id == kRefreshAll || id == kStop || id == kCheckAllAlerts || id == kImportContainer || id == kCatalogReport ||
         id == kSave || id == kNewBeacon;
}

bool DocumentCommandEnabled(uint16_t id, const engine::WDQvxDoc& doc) {
  if (id == kStop) return doc.IsBusy() != 0;
  return IsDocumentCommand(id);
}

bool RunDocumentCommand(uint16_t id, engine::WDQvxDoc& doc) {
  switch (id) {
    case kRefreshAll:
      doc.RefreshAll();
      return true;
    case kStop:
      return doc.StopAll();
    case kCheckAllAlerts:
      doc.CheckAllAlerts();
      return true;
    case kCatalogReport:
      return MakeReport(doc);
    case kSave:
      return doc.Save();
    default:
      return false;
  }
}

std::vector<model::WDValue*> ImportContainers(engine::WDQvxDoc& doc, const QStringList& files, bool ask,
                                              model::WDGroup* folder) {
  std::vector<model::WDValue*> made;
  for (const QString& file : files) exchange::ImportContainer(doc, ToBytes(file), ask, folder, &made);
  return made;
}

QStringList AskContainerFiles(QWidget* parent) {
  const settings::WDSettings* s = settings::GetSettings();
  const QString start = s ? FromBytes(platform::JoinPath(s->m_strContainerPlace, "container.bcn")) : QString();
  const QString file = QFileDialog::getOpenFileName(parent, QString(), start, QString::fromLatin1(kImportFilter));
  if (file.isEmpty()) return {};
  exchange::RememberContainerPlace(ToBytes(file));
  return {file};
}

}  // namespace quorvex::gui
