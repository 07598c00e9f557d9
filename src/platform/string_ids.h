#pragma once
// The ids of the language texts the program looks up with GetString. Every id named here must be
// defined by each shipped language file (a test checks english.lng and russian.lng against this
// header), so code looks texts up through these names, never through bare numbers.
// Texts marked "%s" take arguments, filled with FillPlaceholders in the order given.
#include <cstdint>

namespace quorvex::platform::ids {

// Buttons and captions shared by several dialogs.
inline constexpr uint16_t kOk = 1000;
inline constexpr uint16_t kCancel = 1001;
inline constexpr uint16_t kProgramTitle = 57344;
inline constexpr uint16_t kStatusReady = 57345;
inline constexpr uint16_t kAboutCaption = 1516;
inline constexpr uint16_t kAboutCredits = 59394;
inline constexpr uint16_t kMsgHandOverTooLong = 61705;  // %s: the path
inline constexpr uint16_t kMsgCantStart = 61706;        // %s: why
inline constexpr uint16_t kMsgIntegerRange = 61707;     // %s: the least, %s: the greatest
inline constexpr uint16_t kMsgIntegerNeeded = 61708;

// Value labels (report header, screen pane) and the history list.
inline constexpr uint16_t kLabelValue = 1010;
inline constexpr uint16_t kLabelDate = 1012;
inline constexpr uint16_t kTimeLineTimeColumn = 1014;
inline constexpr uint16_t kValueColumn = 61504;        // also the first word of an alert event's row
inline constexpr uint16_t kFolderListColumns = 57608;  // titles, each followed by a comma
inline constexpr uint16_t kReportNameColumn = 61459;
// strftime format; its first 8 characters are the date part, the rest (blanks dropped) the time.
inline constexpr uint16_t kDateTimeFormat = 32812;
inline constexpr uint16_t kAnyChange = 61505;  // empty operand, checksum beacon's pattern pane
inline constexpr uint16_t kNoMessageText = 61503;

// Tabs of the main window.
inline constexpr uint16_t kTabFolder = 1700;
inline constexpr uint16_t kTabBeacon = 1701;
inline constexpr uint16_t kTabNote = 1702;
inline constexpr uint16_t kTabControl = 1703;
inline constexpr uint16_t kTabHistory = 1704;
inline constexpr uint16_t kTabLink = 1705;

// Agent (tray icon) texts.
inline constexpr uint16_t kTrayIdle = 61477;
inline constexpr uint16_t kTrayAlert = 61478;
inline constexpr uint16_t kTrayWorking = 61479;
inline constexpr uint16_t kTrayExit = 61510;
inline constexpr uint16_t kTrayShow = 61511;
inline constexpr uint16_t kTrayCheckAlerts = 61513;
inline constexpr uint16_t kTrayRefreshAll = 61514;
inline constexpr uint16_t kTrayMoreBeacons = 61703;  // %s: how many beacons are not listed
inline constexpr uint16_t kNoTrayNote = 61704;

// Control pane of a beacon.
inline constexpr uint16_t kUnitLabel = 1013;
inline constexpr uint16_t kKeepHistory = 1015;
inline constexpr uint16_t kScheduleGroup = 1020;
inline constexpr uint16_t kRefreshEvery = 1023;
inline constexpr uint16_t kMonitoringOn = 1024;
inline constexpr uint16_t kAlertsOn = 1025;
inline constexpr uint16_t kAddEvent = 1026;
inline constexpr uint16_t kDeleteEvent = 1027;
inline constexpr uint16_t kEventsGroup = 1028;
inline constexpr uint16_t kAtStartOnly = 1029;
inline constexpr uint16_t kValueTypeLabel = 2019;
inline constexpr uint16_t kUnitMinutes = 1200;
inline constexpr uint16_t kUnitHours = 1201;
inline constexpr uint16_t kUnitDays = 1202;
inline constexpr uint16_t kUnitWeeks = 1203;
inline constexpr uint16_t kUnitMonths = 1204;

// History tool strip and history export.
inline constexpr uint16_t kClearHistory = 1031;
inline constexpr uint16_t kHistoryToggleFirstTip = 1032;
inline constexpr uint16_t kHistoryToggleSecondTip = 1033;
inline constexpr uint16_t kExportButton = 1055;
inline constexpr uint16_t kExportHistoryTitle = 1505;
inline constexpr uint16_t kRecordDelimiter = 1050;
inline constexpr uint16_t kFieldDelimiter = 1051;
inline constexpr uint16_t kExportDateOnly = 1052;
inline constexpr uint16_t kExportCombineDateTime = 1053;

// Address strip of the link tab.
inline constexpr uint16_t kOpenPageTip = 1042;

// Text panes (page source, value, note, pattern) and the link tab.
inline constexpr uint16_t kFindCaption = 61760;
inline constexpr uint16_t kFindWhat = 61761;
inline constexpr uint16_t kFindMatchCase = 61762;
inline constexpr uint16_t kFindWrap = 61763;
inline constexpr uint16_t kFindNext = 61764;
inline constexpr uint16_t kFindPrevious = 61765;
inline constexpr uint16_t kFindNotFound = 61766;  // %s: the text looked for
inline constexpr uint16_t kClose = 61767;
inline constexpr uint16_t kPrint = 61768;
inline constexpr uint16_t kPrintPreview = 61769;
inline constexpr uint16_t kSelectAll = 61770;
inline constexpr uint16_t kFindInSourceTip = 61771;
inline constexpr uint16_t kPatternHelpTip = 61772;
inline constexpr uint16_t kTestPattern = 61773;  // the test button: "caption\ntool tip"
inline constexpr uint16_t kMakePattern = 61774;  // the source pane's button: "caption\ntool tip"
inline constexpr uint16_t kMakePatternFailed = 61775;
inline constexpr uint16_t kCharsetTip = 61776;
inline constexpr uint16_t kAddressTip = 61777;

// Alert event editor and alert actions.
inline constexpr uint16_t kEventEditorCaption = 1507;
inline constexpr uint16_t kConditionGroup = 1071;
inline constexpr uint16_t kEventBeaconLabel = 1072;
inline constexpr uint16_t kEventConditionLabel = 1073;
inline constexpr uint16_t kAlertMessageLabel = 1074;
inline constexpr uint16_t kAlertSound = 1075;
inline constexpr uint16_t kActionEnabled = 1076;
inline constexpr uint16_t kAlertWindowPage = 1077;
inline constexpr uint16_t kProgramsPage = 1078;
inline constexpr uint16_t kProgramSlot = 1079;  // followed by " 1:", " 2:", " 3:"
inline constexpr uint16_t kAlertCurrentValue = 1081;
inline constexpr uint16_t kEventDescription = 1082;
inline constexpr uint16_t kOpenPageToo = 1090;
inline constexpr uint16_t kEmailPage = 1091;  // also the Options page and its group box
inline constexpr uint16_t kMailTo = 1092;
inline constexpr uint16_t kMailCc = 1093;
inline constexpr uint16_t kMailBcc = 1094;
inline constexpr uint16_t kMailSubject = 1095;
inline constexpr uint16_t kMailText = 1096;
inline constexpr uint16_t kAlarmOnce = 1097;
inline constexpr uint16_t kEmailLabel = 1154;  // also the title of mail status messages
inline constexpr uint16_t kOperatorEqual = 61462;
inline constexpr uint16_t kOperatorNotEqual = 61463;
inline constexpr uint16_t kOperatorGreater = 61464;
inline constexpr uint16_t kOperatorLess = 61465;
inline constexpr uint16_t kOperatorGreaterEqual = 61466;
inline constexpr uint16_t kOperatorLessEqual = 61467;

// New-beacon wizard.
inline constexpr uint16_t kWizardTitle = 2000;
inline constexpr uint16_t kWizardStep = 2001;
inline constexpr uint16_t kWizardFinish = 2002;
inline constexpr uint16_t kWizardBack = 2003;
inline constexpr uint16_t kWizardNext = 2004;
inline constexpr uint16_t kWizardName = 2010;
inline constexpr uint16_t kWizardKind = 2011;
inline constexpr uint16_t kKindText = 2012;
inline constexpr uint16_t kKindNumber = 2013;
inline constexpr uint16_t kKindChecksum = 2014;
inline constexpr uint16_t kWizardAddress = 2020;
inline constexpr uint16_t kWizardFetchHint = 2021;
inline constexpr uint16_t kWizardFetch = 2022;
inline constexpr uint16_t kWizardFetchDone = 2023;
inline constexpr uint16_t kWizardFetchFailed = 2024;
inline constexpr uint16_t kWizardDescribeHeading = 2030;
inline constexpr uint16_t kWizardDescription = 2031;
inline constexpr uint16_t kWizardPatternHelp = 2032;
inline constexpr uint16_t kWizardPatternHint = 2033;

// Options sheet, font dialog, Language page.
inline constexpr uint16_t kOptionsTitle = 1510;
inline constexpr uint16_t kInterfacePage = 1511;
inline constexpr uint16_t kCommonPage = 1512;
inline constexpr uint16_t kConnectionPage = 1513;
inline constexpr uint16_t kLanguagePage = 1514;
inline constexpr uint16_t kRunMinimized = 1112;
inline constexpr uint16_t kSavePrompt = 1113;
inline constexpr uint16_t kHideAllMessages = 1114;
inline constexpr uint16_t kInterfaceGroup = 1115;
inline constexpr uint16_t kSoundEnable = 1116;
inline constexpr uint16_t kBrowserLabel = 1117;
inline constexpr uint16_t kRefreshByHand = 1120;
inline constexpr uint16_t kLimitPages = 1121;
inline constexpr uint16_t kUnlimitedPages = 1122;
inline constexpr uint16_t kRefreshGroup = 1123;
inline constexpr uint16_t kPagesAtTheTime = 1124;
inline constexpr uint16_t kStartWithSession = 1125;
inline constexpr uint16_t kConnectionGroup = 1131;
inline constexpr uint16_t kTimeOutLabel = 1132;
inline constexpr uint16_t kSecondsUnit = 1133;
inline constexpr uint16_t kRetriesLabel = 1134;
inline constexpr uint16_t kViaProxy = 1135;
inline constexpr uint16_t kProxyServer = 1136;
inline constexpr uint16_t kProxyPort = 1137;
inline constexpr uint16_t kSmtpServer = 1038;
inline constexpr uint16_t kCurrentLanguage = 1140;  // followed by the language's display name
inline constexpr uint16_t kFontSample1 = 1170;
inline constexpr uint16_t kFontSample2 = 1171;
inline constexpr uint16_t kFontSample3 = 1172;
inline constexpr uint16_t kFontSample4 = 1173;
inline constexpr uint16_t kFontSizeLabel = 1176;
inline constexpr uint16_t kFontResetAll = 1177;
inline constexpr uint16_t kFontSlotNames = 1178;  // four names, comma-separated
inline constexpr uint16_t kSendTestMail = 61709;
inline constexpr uint16_t kChooseBrowser = 61710;   // the browse button's tip and file dialog's title
inline constexpr uint16_t kProgramsFilter = 61711;  // the file dialog's filter: executable files
inline constexpr uint16_t kFontsCaption = 32814;    // line feeds removed; also a command prompt

// Messages and questions.
inline constexpr uint16_t kMsgMailNotConfigured = 61446;
inline constexpr uint16_t kAskDeleteBeacon = 61447;
inline constexpr uint16_t kAskMoveOtherBeacons = 61449;
inline constexpr uint16_t kMsgMailSent = 61450;
inline constexpr uint16_t kMsgCantOpenFile = 61451;
inline constexpr uint16_t kMsgNoInternetSession = 61453;
inline constexpr uint16_t kAskSaveCatalog = 61454;
inline constexpr uint16_t kAskClearHistory = 61461;
inline constexpr uint16_t kAskEmptyOperand = 61468;
inline constexpr uint16_t kMsgBeaconBusy = 61470;
inline constexpr uint16_t kMsgNoAlertFired = 61471;
inline constexpr uint16_t kMsgReadError = 61472;
inline constexpr uint16_t kMsgBadAddress = 61473;
inline constexpr uint16_t kMsgNextStart = 61498;
inline constexpr uint16_t kMsgFieldEmpty = 61499;
inline constexpr uint16_t kMsgFetching = 61501;
inline constexpr uint16_t kAskDeleteEvent = 61502;
inline constexpr uint16_t kMsgPositiveInteger = 61719;
inline constexpr uint16_t kMsgFileNotFound = 61508;  // %s: the file
inline constexpr uint16_t kAskChangeLanguage = 61515;
inline constexpr uint16_t kMsgNoFontChoice = 61516;
inline constexpr uint16_t kMsgCheckProxy = 61518;
inline constexpr uint16_t kMsgInstallationDamaged = 61521;
inline constexpr uint16_t kMsgNoBeaconInFile = 61540;
inline constexpr uint16_t kAskImportContainer = 61541;  // %s: the file
inline constexpr uint16_t kAskImportLocalFile = 61542;  // %s: the local files, one per line

// Why a fetch failed, and what became of mail at exit.
inline constexpr uint16_t kFetchStalled = 61720;   // %s: seconds
inline constexpr uint16_t kFetchTooLong = 61721;   // %s: seconds
inline constexpr uint16_t kFetchNotAFile = 61722;  // a local address that names no regular file here
inline constexpr uint16_t kMsgMailGivenUp = 61723;
inline constexpr uint16_t kTreeFilterHint = 61724;  // the catalog tree's filter box
// The heading of the changed lines that alert mail quotes.
inline constexpr uint16_t kMailChanges = 61725;

// The Changes window: a beacon's page snapshot by snapshot.
inline constexpr uint16_t kChangesTitle = 61730;  // %s: the beacon's name
inline constexpr uint16_t kChangesTextOnly = 61731;
inline constexpr uint16_t kChangesPrevious = 61732;
inline constexpr uint16_t kChangesNext = 61733;
inline constexpr uint16_t kChangesNoSnapshots = 61734;
inline constexpr uint16_t kChangesSnapshotsOff = 61735;
inline constexpr uint16_t kChangesOldest = 61736;
inline constexpr uint16_t kChangesMarkupOnly = 61737;
inline constexpr uint16_t kChangesNoDifference = 61738;
inline constexpr uint16_t kChangesUnreadable = 61739;
inline constexpr uint16_t kChangesSize = 61740;     // %s: the number of bytes
inline constexpr uint16_t kChangesBetween = 61741;  // %s: the older time, %s: the newer time
inline constexpr uint16_t kChangesSnapshots = 61742;

// Beacon states.
inline constexpr uint16_t kStatePageFailed = 61480;
inline constexpr uint16_t kStateOk = 61481;
inline constexpr uint16_t kStatePageStopped = 61482;
inline constexpr uint16_t kStatePageError3 = 61483;
inline constexpr uint16_t kStatePageError4 = 61484;
inline constexpr uint16_t kStatePatternFailed = 61485;
inline constexpr uint16_t kStateMonitoringOff = 61486;
inline constexpr uint16_t kStateAlert = 61487;
inline constexpr uint16_t kStateDue = 61488;

// Pattern matcher results.
inline constexpr uint16_t kPatternErrorTitle = 61489;
inline constexpr uint16_t kPatternNotFound = 61490;
inline constexpr uint16_t kPatternAmbiguous = 61491;
inline constexpr uint16_t kPatternMalformed = 61492;
inline constexpr uint16_t kPatternUnknownError = 61493;

}  // namespace quorvex::platform::ids
