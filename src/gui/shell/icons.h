#pragma once
// The program's icons: our own SVG set (resources/icons), compiled in as ":/icons/<name>.svg" and
// looked up here only, by name or by the numeric resource id the main frame, tray and views speak of.
// SVG icons stay crisp at every screen scale. Call these on the GUI thread only (QIcon and its
// pixmaps belong to it); the cache lives until the program ends.
#include <QIcon>
#include <QList>
#include <QString>

namespace quorvex::gui {

// Icon names (file names without ".svg").
namespace icon {
inline constexpr char kApp[] = "quorvex";  // the lighthouse mark: window, launcher, About box
inline constexpr char kBeacon[] = "beacon";
inline constexpr char kBeaconDue[] = "beacon-due";
inline constexpr char kBeaconOff[] = "beacon-off";
inline constexpr char kBeaconAlert[] = "beacon-alert";
inline constexpr char kBeaconError[] = "beacon-error";
inline constexpr char kBeaconFetch2[] = "beacon-fetch-2";  // frame 1 of the fetch animation is kBeacon
inline constexpr char kBeaconFetch3[] = "beacon-fetch-3";
inline constexpr char kFolder[] = "folder";
inline constexpr char kFolderOpen[] = "folder-open";
inline constexpr char kTrayIdle[] = "tray-idle";  // also frame 1 of the working animation
inline constexpr char kNewBeacon[] = "new-beacon";
inline constexpr char kNewFolder[] = "new-folder";
inline constexpr char kRefreshAll[] = "refresh-all";
inline constexpr char kRefreshNow[] = "refresh-now";
inline constexpr char kStop[] = "stop";
inline constexpr char kSave[] = "save";
inline constexpr char kImport[] = "import";
inline constexpr char kExport[] = "export";
inline constexpr char kReport[] = "report";  // the catalog report
inline constexpr char kDelete[] = "delete";
inline constexpr char kOptions[] = "options";
inline constexpr char kHelp[] = "help";
inline constexpr char kAbout[] = "about";
// The link tab's buttons.
inline constexpr char kFind[] = "find";
inline constexpr char kTestPattern[] = "test-pattern";
// The tabs of the main window: the same label stands over a text and a graph, the icon tells them apart.
inline constexpr char kViewText[] = "view-text";
inline constexpr char kViewGraph[] = "view-graph";
inline constexpr char kNote[] = "note";
inline constexpr char kLink[] = "link";
// The tabs of an alert event's actions: the action is on or off.
inline constexpr char kActionOn[] = "action-on";
inline constexpr char kActionOff[] = "action-off";
// The splash picture (400 x 260); the version line goes on it at about (20, 210).
inline constexpr char kSplashPath[] = ":/icons/splash.svg";
}  // namespace icon

// Icon resource ids.
namespace res {
inline constexpr int kAppIcon = 128;
inline constexpr int kBeaconNormal = 139;
inline constexpr int kBeaconDue = 143;
inline constexpr int kBeaconOff = 144;
inline constexpr int kBeaconAlert = 145;
inline constexpr int kBeaconError = 146;
inline constexpr int kTrayIdle = 180;
inline constexpr int kTrayWorkingFirst = 180;  // working animation 180..183
inline constexpr int kTrayWorkingLast = 183;
inline constexpr int kTrayAlertFirst = 185;  // alert animation 185..189
inline constexpr int kTrayAlertLast = 189;
inline constexpr int kFolderOpen = 219;
inline constexpr int kFetchFrame2 = 261;
inline constexpr int kFetchFrame3 = 262;
}  // namespace res

// Positions in StateIcons(), the image list of the catalog tree and the folder list.
namespace state_image {
inline constexpr int kDue = 1;
inline constexpr int kOff = 2;
inline constexpr int kAlert = 3;
inline constexpr int kError = 4;
inline constexpr int kFolderOpen = 5;
inline constexpr int kFolderClosed = 6;
inline constexpr int kNormal = 7;  // also frame 1 of the fetch animation
inline constexpr int kFetch2 = 8;
inline constexpr int kFetch3 = 9;
inline constexpr int kCount = 10;
}  // namespace state_image

// The icon ":/icons/<name>.svg"; an unknown name gives a null QIcon (and one warning on the debug output).
QIcon Icon(const QString& name);

// The icon of a resource id: 128, 139, 143..146, 180..183, 185..189, 219, 261, 262; any other id gives
// a null QIcon.
QIcon ResourceIcon(int resourceId);

// The ten state icons in image-list order (resources 139, 143, 144, 145, 146, 219, folder closed, 139,
// 261, 262): position 6 is the closed folder.
QList<QIcon> StateIcons();

}  // namespace quorvex::gui
