#pragma once
// The catalog-wide commands of the document: refresh all, stop, check all alerts, import, report,
// save. The main frame routes them here; they talk to the user through the core's prompt.
#include <QWidget>
#include <cstdint>

namespace quorvex::engine {
class WDQvxDoc;
}

namespace quorvex::gui {

// Whether id is a document command.
bool IsDocumentCommand(uint16_t id);
// Whether the command can run now (stop only while pages are fetched).
bool DocumentCommandEnabled(uint16_t id, const engine::WDQvxDoc& doc);
// Runs the command; parent owns the file dialogs. False when it did not run.
bool RunDocumentCommand(uint16_t id, engine::WDQvxDoc& doc, QWidget* parent);
// Imports the container files, asking first when ask is set. Returns how many were imported.
int ImportContainers(engine::WDQvxDoc& doc, const QStringList& files, bool ask);

}  // namespace quorvex::gui
