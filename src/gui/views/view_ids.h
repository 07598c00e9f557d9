#pragma once
// The numeric ids of the objects of the main window's client area (TVisualFramework::GetObject)
// and the indices of the tabs of its tab window.
//
//   40 main splitter "Splitter", 1 row x 2 columns, resizable; left column kDefaultSplitterPos wide
//   41 catalog tree (left)
//   42 tab window (right), eight tabs:
//
//   tab 0 folder list    1 folder list
//   tab 1 beacon (text)  43 rows, fixed: 2 screen pane (90 high) over 3 value text
//   tab 2 beacon (graph) 44 rows, fixed: 4 screen pane (90 high) over 5 graph
//   tab 3 note           6 note
//   tab 4 control        7 control pane
//   tab 5 history text   45 columns, resizable: 8 time-line (210 wide) beside
//                           46 rows, fixed: 9 history strip (30 high) over 10 value text
//   tab 6 history graph  47 columns, resizable: 11 time-line (210 wide) beside
//                           48 rows, fixed: 12 history strip (30 high) over 13 graph
//   tab 7 link           49 rows, resizable:
//                           50 columns, resizable: 51 rows, fixed: 14 address strip (30 high)
//                              over 15 page source; beside 16 pattern (250 wide)
//                           over 52 rows, fixed: 17 value text over 18 test bar (kept 40 high)
//
// "fixed" splitters cannot be moved by the user. The view ids follow the tabs, row by row, which
// is also the order in which notifications reach the views; 10 and 13 are the panes that a
// history tab's time-line tells about the chosen sample.
namespace quorvex::gui::view_ids {

// Dynamic property holding an object's id (an int) on every object the framework makes.
inline constexpr char kObjectIdProperty[] = "quorvexObjectId";

inline constexpr int kFolderList = 1;
inline constexpr int kBeaconScreen = 2;
inline constexpr int kBeaconText = 3;
inline constexpr int kGraphScreen = 4;
inline constexpr int kBeaconGraph = 5;
inline constexpr int kNote = 6;
inline constexpr int kControl = 7;
inline constexpr int kTextTimeLine = 8;
inline constexpr int kTextHistControl = 9;
inline constexpr int kHistoryText = 10;
inline constexpr int kGraphTimeLine = 11;
inline constexpr int kGraphHistControl = 12;
inline constexpr int kHistoryGraph = 13;
inline constexpr int kLinkAddress = 14;
inline constexpr int kLinkSource = 15;
inline constexpr int kLinkPattern = 16;
inline constexpr int kLinkValue = 17;
inline constexpr int kLinkControl = 18;
inline constexpr int kFirstView = kFolderList;
inline constexpr int kLastView = kLinkControl;

inline constexpr int kMainSplitter = 40;
inline constexpr int kCatalogTree = 41;
inline constexpr int kTabWindow = 42;
inline constexpr int kBeaconTextRows = 43;
inline constexpr int kBeaconGraphRows = 44;
inline constexpr int kHistoryTextColumns = 45;
inline constexpr int kHistoryTextRows = 46;
inline constexpr int kHistoryGraphColumns = 47;
inline constexpr int kHistoryGraphRows = 48;
inline constexpr int kLinkRows = 49;
inline constexpr int kLinkUpperColumns = 50;
inline constexpr int kLinkSourceRows = 51;
inline constexpr int kLinkLowerRows = 52;

// Tab indices of the tab window.
inline constexpr int kTabFolderList = 0;
inline constexpr int kTabBeaconText = 1;
inline constexpr int kTabBeaconGraph = 2;
inline constexpr int kTabNote = 3;
inline constexpr int kTabControl = 4;
inline constexpr int kTabHistoryText = 5;
inline constexpr int kTabHistoryGraph = 6;
inline constexpr int kTabLink = 7;
inline constexpr int kTabCount = 8;

}  // namespace quorvex::gui::view_ids
