#pragma once
// The catalog-wide commands of the document: refresh all, stop, check all alerts, report, save, and
// the import's dialog. The frame imports and runs the new-beacon wizard itself, so that the tree shows
// the new beacons. The main frame routes them here; they talk to the user through the core's prompt.
#include <QWidget>
#include <cstdint>
#include <vector>

namespace quorvex::engine {
class WDQvxDoc;
}
namespace quorvex::model {
class WDGroup;
class WDValue;
}  // namespace quorvex::model

namespace quorvex::gui {

// Whether id is a document command.
bool IsDocumentCommand(uint16_t id);
// Whether the command can run now (stop only while pages are fetched).
bool DocumentCommandEnabled(uint16_t id, const engine::WDQvxDoc& doc);
// Runs the command. False when it did not run.
bool RunDocumentCommand(uint16_t id, engine::WDQvxDoc& doc);
// Imports the container files into folder (the root when null), asking first when ask is set.
// Returns the new beacons in order.
std::vector<model::WDValue*> ImportContainers(engine::WDQvxDoc& doc, const QStringList& files, bool ask,
                                              model::WDGroup* folder = nullptr);
// The import command's file dialog: the chosen file (remembered as the container place), or none.
QStringList AskContainerFiles(QWidget* parent);

}  // namespace quorvex::gui
