#pragma once
// The command ids that menus carry. The language files build the menus and hold, under the same
// id, each command's status-bar prompt and tool tip ("prompt\ntip"), so every id here needs a text
// in every shipped language file (a test checks it).
#include <cstdint>

namespace quorvex::platform::cmd {

// Catalog-wide commands (the document).
inline constexpr uint16_t kNewBeacon = 32771;
inline constexpr uint16_t kRefreshAll = 32775;
inline constexpr uint16_t kImportContainer = 32787;
inline constexpr uint16_t kCheckAllAlerts = 32792;
inline constexpr uint16_t kStop = 32809;
inline constexpr uint16_t kCatalogReport = 32818;
inline constexpr uint16_t kSave = 57603;
// Printing the focused list or text.
inline constexpr uint16_t kPrint = 57607;
inline constexpr uint16_t kPrintPreview = 57609;

// Item commands (the catalog tree's current item).
inline constexpr uint16_t kShowBeacon = 32776;
inline constexpr uint16_t kShowNote = 32777;
inline constexpr uint16_t kShowControl = 32778;
inline constexpr uint16_t kShowHistory = 32779;
inline constexpr uint16_t kShowLink = 32780;
inline constexpr uint16_t kOpenInBrowser = 32781;
inline constexpr uint16_t kExportContainer = 32782;
inline constexpr uint16_t kDeleteItem = 32783;
inline constexpr uint16_t kMonitoring = 32784;
inline constexpr uint16_t kRefreshNow = 32785;
inline constexpr uint16_t kExportHistory = 32786;
inline constexpr uint16_t kClearHistory = 32793;
inline constexpr uint16_t kDuplicate = 32810;
inline constexpr uint16_t kNewFolder = 32815;  // in an alert window: close all alert windows
inline constexpr uint16_t kShowChanges = 32822;

// Alert window.
inline constexpr uint16_t kAlertSound = 32813;
inline constexpr uint16_t kCloseAlert = 32814;  // elsewhere: the font dialog

// Main window and agent.
inline constexpr uint16_t kShowWindow = 32797;  // has no prompt
inline constexpr uint16_t kHideWindow = 32798;
inline constexpr uint16_t kHomePage = 32807;
inline constexpr uint16_t kOptions = 32821;
inline constexpr uint16_t kFonts = 32814;
inline constexpr uint16_t kEditCut = 57635;
inline constexpr uint16_t kEditCopy = 57634;
inline constexpr uint16_t kEditFind = 57636;
inline constexpr uint16_t kEditPaste = 57637;
inline constexpr uint16_t kAbout = 57664;
inline constexpr uint16_t kExit = 57665;
inline constexpr uint16_t kHelp = 57670;
inline constexpr uint16_t kToggleToolBar = 59392;
inline constexpr uint16_t kToggleStatusBar = 59393;

// Tray menu entries that select a catalog entry: no prompt.
inline constexpr uint16_t kFirstTrayEntry = 1524;
inline constexpr uint16_t kLastTrayEntry = 2524;
// The status bar shows no prompt for this range (it predates the larger tray range).
inline constexpr uint16_t kLastEntryWithoutPrompt = 2024;

// Every command above that has a prompt.
inline constexpr uint16_t kWithPrompt[] = {
    kNewBeacon,     kRefreshAll,      kImportContainer, kCheckAllAlerts, kStop,        kCatalogReport, kSave,
    kPrint,         kPrintPreview,    kShowBeacon,      kShowNote,       kShowControl, kShowHistory,   kShowLink,
    kOpenInBrowser, kExportContainer, kDeleteItem,      kMonitoring,     kRefreshNow,  kExportHistory, kClearHistory,
    kDuplicate,     kNewFolder,       kShowChanges,     kAlertSound,     kCloseAlert,  kHideWindow,    kHomePage,
    kOptions,       kEditCut,         kEditCopy,        kEditFind,       kEditPaste,   kAbout,         kExit,
    kHelp,          kToggleToolBar,   kToggleStatusBar,
};

// Whether the status bar shows a prompt for the command at all.
constexpr bool HasPrompt(uint16_t id) {
  return id != kShowWindow && !(id >= kFirstTrayEntry && id <= kLastEntryWithoutPrompt);
}

}  // namespace quorvex::platform::cmd
