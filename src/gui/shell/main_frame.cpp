#include "gui/shell/main_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QUrl>
#include <chrono>

#include "engine/fetch_session.h"
#include "engine/fetch_worker.h"
#include "engine/qvx_doc.h"
#include "gui/shell/about_box.h"
#include "gui/shell/document_commands.h"
#include "gui/shell/font_dialog.h"
#include "gui/shell/gui_text.h"
#include "gui/shell/icons.h"
#include "gui/shell/options_sheet.h"
#include "gui/shell/splash_screen.h"
#include "gui/shell/tray_menu.h"
#include "gui/tabframe/splitter_wnd.h"
#include "gui/tabframe/tab_wnd.h"
#include "gui/tabframe/visual_framework.h"
#include "gui/views/catalog_views.h"
#include "gui/views/command_target.h"
#include "gui/views/new_beacon_wizard.h"
#include "gui/views/tree_view.h"
#include "gui/views/view_notify.h"
#include "platform/command_ids.h"
#include "platform/paths.h"
#include "platform/string_ids.h"
#include "settings/app_context.h"
#include "settings/language_folder.h"
#include "settings/open_target.h"

namespace quorvex::gui {
namespace {

using namespace platform::cmd;

constexpr char kHomePageUrl[] = "https://quorvex.org/";
// How long the exit waits for running fetches to end after the stop.
constexpr std::chrono::milliseconds kStopWait{5000};

// The commands of the tool bar, with their icon names; 0 is a separator.
struct ToolCommand {
  uint16_t command;
  const char* icon;
};
constexpr ToolCommand kToolCommands[] = {
    {kNewBeacon, icon::kNewBeacon},
    {kNewFolder, icon::kNewFolder},
    {0, nullptr},
    {kRefreshAll, icon::kRefreshAll},
    {kStop, icon::kStop},
    {0, nullptr},
    {kSave, icon::kSave},
    {kImportContainer, icon::kImport},
    {kCatalogReport, icon::kReport},
    {0, nullptr},
    {kOptions, icon::kOptions},
    {kHelp, icon::kHelp},
};

// Commands this window carries out itself; the views take the item commands once they exist.
bool IsFrameCommand(uint16_t id) {
  return id == kShowWindow || id == kHideWindow || id == kHelp || id == kHomePage || id == kToggleToolBar ||
         id == kToggleStatusBar || id == kAbout || id == kExit || id == kOptions || id == kFonts;
}

}  // namespace

CMainFrame::CMainFrame(settings::AppContext& app, engine::WDQvxDoc& doc)
    : app_(app), doc_(doc), previousHost_(platform::AgentState()) {
  setObjectName(QStringLiteral("MainFrame"));
  setWindowTitle(QString::fromLatin1(kFrameTitle));
  setWindowIcon(Icon(QString::fromLatin1(icon::kApp)));
  setAcceptDrops(true);
  platform::SetAgentState(this);
}

CMainFrame::~CMainFrame() {
  // Focus moves while the child widgets are torn down; this object is no frame by then.
  disconnect(qApp, &QApplication::focusChanged, this, nullptr);
  refreshTimer_.stop();
  if (platform::AgentState() == this) platform::SetAgentState(previousHost_);
}

bool CMainFrame::Create(bool showSplash) {
  settings::WDSettings& s = app_.Settings();
  ApplyPlacement();
  views_ = std::make_unique<TVisualFramework>(CatalogViewFactory(*this));
  setCentralWidget(views_->Create(this, s.m_nXSplitterPos));
  InitialUpdateViews(*this);
  BuildMenus();
  BuildToolBar();

  statusLabel_ = new QLabel(Text(platform::ids::kStatusReady));
  statusLabel_->setObjectName(QStringLiteral("StatusPane"));
  statusBar()->addWidget(statusLabel_, 1);
  statusBar()->setVisible(s.m_bStatusBarVisible != 0);
  SetBarsVisible();

  trayMenu_.setObjectName(QStringLiteral("TrayMenu"));
  connect(&trayMenu_, &QMenu::aboutToShow, this, [this] { BuildTrayMenu(trayMenu_, &doc_); });
  connect(&trayMenu_, &QMenu::triggered, this, [this](QAction* action) {
    const uint16_t command = CommandOf(action);
    if (command >= kFirstTrayEntry && command <= kLastTrayEntry) {
      OpenTrayEntry(command - kFirstTrayEntry);
    } else {
      OnCommand(command);
    }
  });
  tray_.SetMenu(&trayMenu_);
  tray_.CreateTrayIcon(QStringLiteral("Quorvex"), ResourceIcon(res::kTrayIdle));
  tray_.ChangeIcon(res::kTrayIdle);
  connect(&tray_, &CSystemTray::DoubleClicked, this, [this] { OnCommand(kShowWindow); });
  connect(&tray_, &CSystemTray::AnimationStep, this, &CMainFrame::AnimationStep);

  refreshTimer_.setObjectName(QStringLiteral("RefreshTimer"));
  connect(&refreshTimer_, &QTimer::timeout, this, [this] { doc_.OnTimerTick(); });
  refreshTimer_.start(kRefreshTickMs);

  const bool session = engine::CreateSession(engine::SessionConfigFromSettings(s), doc_.IsBusy());
  if (showSplash) {
    auto* splash = new WDSplash;
    splash->ShowCentred();
    splash_ = splash;
  }
  UpdateAgentState();
  return session;
}

void CMainFrame::BuildMenus() {
  if (const settings::LanguageFile* language = settings::InstalledLanguage()) {
    if (language->MainMenu()) BuildMenuBar(*menuBar(), *language->MainMenu(), actions_);
    const settings::MenuModel* contexts[] = {language->PopupMenu(), language->TreeMenu(), language->AlertMenu()};
    for (int kind = 0; kind < 3; ++kind) {
      if (contexts[kind]) BuildContextMenu(contextMenus_[kind], *contexts[kind], kind == 2 ? alertActions_ : actions_);
    }
  }
  // The alert menu acts on its window's own alert; the window runs what it picked.
  for (ContextMenuKind kind : {ContextMenuKind::Beacon, ContextMenuKind::Folder}) {
    QMenu& menu = ContextMenu(kind);
    connect(&menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
    connect(&menu, &QMenu::triggered, this, [this](QAction* action) { OnCommand(CommandOf(action)); });
  }
  for (QMenu* menu : menuBar()->findChildren<QMenu*>()) {
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
  }
  connect(menuBar(), &QMenuBar::triggered, this, [this](QAction* action) { OnCommand(CommandOf(action)); });
  // The tool bar's item commands follow the view that has the focus.
  connect(qApp, &QApplication::focusChanged, this, &CMainFrame::UpdateCommandStates);
  UpdateCommandStates();
}

void CMainFrame::BuildToolBar() {
  toolBar_ = addToolBar(QString());
  toolBar_->setObjectName(QStringLiteral("ToolBar"));
  toolBar_->setMovable(false);
  toolBar_->setIconSize(QSize(20, 20));
  toolBar_->toggleViewAction()->setVisible(false);
  for (const ToolCommand& tool : kToolCommands) {
    if (tool.command == 0) {
      toolBar_->addSeparator();
      continue;
    }
    QAction* action = toolBar_->addAction(Icon(QString::fromLatin1(tool.icon)), TipPart(tool.command));
    action->setData(tool.command);
    action->setStatusTip(PromptPart(tool.command));
    actions_.Add(action);
    connect(action, &QAction::triggered, this, [this, id = tool.command] { OnCommand(id); });
  }
}

void CMainFrame::UpdateCommandStates() {
  for (uint16_t command : actions_.Commands()) {
    bool enabled = false;
    if (IsFrameCommand(command)) {
      enabled = true;
    } else if (IsDocumentCommand(command)) {
      enabled = !lent_ && DocumentCommandEnabled(command, doc_);
    } else if (CommandTarget* target = TargetFor(command); target && !lent_) {
      const CommandState state = target->QueryCommand(command);
      enabled = state.enabled;
      actions_.SetChecked(command, state.checked);
    }
    actions_.SetEnabled(command, enabled);
  }
  actions_.SetChecked(kToggleToolBar, app_.Settings().m_bToolBarVisible != 0);
  actions_.SetChecked(kToggleStatusBar, app_.Settings().m_bStatusBarVisible != 0);
}

bool CMainFrame::OnCommand(uint16_t command) {
  settings::WDSettings& s = app_.Settings();
  switch (command) {
    case kShowWindow:
      ShowAndActivate();
      return true;
    case kHideWindow:
      HideWindow();
      return true;
    case kHelp:
      return settings::OpenTarget(platform::JoinPath(s.WorkDirectory(), "help/help.htm"));
    case kHomePage:
      return settings::OpenTarget(kHomePageUrl);
    case kToggleToolBar:
      s.m_bToolBarVisible = s.m_bToolBarVisible ? 0 : 1;
      SetBarsVisible();
      UpdateCommandStates();
      return true;
    case kToggleStatusBar:
      s.m_bStatusBarVisible = s.m_bStatusBarVisible ? 0 : 1;
      statusBar()->setVisible(s.m_bStatusBarVisible != 0);
      UpdateCommandStates();
      return true;
    case kAbout: {
      AboutBox box(this);
      box.exec();
      return true;
    }
    case kExit:
      close();
      return true;
    case kOptions:
      EditOptions(
          s, false, [this] { return doc_.IsBusy(); }, this);
      return true;
    case kFonts:
      EditFonts(s, false, this);
      return true;
    default:
      break;
  }
  if (lent_) return false;
  if (command == kImportContainer) {
    const QStringList files = AskContainerFiles(this);
    return !files.isEmpty() && ImportFiles(files, false) >= 0;
  }
  if (command == kNewBeacon) return RunNewBeaconWizard(*this);
  if (CommandTarget* target = TargetFor(command)) {
    return target->QueryCommand(command).enabled && target->RunCommand(command);
  }
  if (IsDocumentCommand(command) && DocumentCommandEnabled(command, doc_)) {
    const bool ran = RunDocumentCommand(command, doc_);
    // Checking the alerts changes states all over the catalog.
    if (WDTreeView* tree = CatalogTree(*this); tree && command == kCheckAllAlerts) {
      tree->UpdateIcons();
      views_->Notify(TabNotify::Changed, {});
    }
    UpdateAgentState();
    return ran;
  }
  return false;
}

CommandTarget* CMainFrame::TargetFor(uint16_t command) const {
  for (QWidget* widget = QApplication::focusWidget(); widget; widget = widget->parentWidget()) {
    auto* target = dynamic_cast<CommandTarget*>(widget);
    if (target && target->TakesCommand(command)) return target;
  }
  WDTreeView* tree = CatalogTree(*this);
  return tree && tree->TakesCommand(command) ? tree : nullptr;
}

int CMainFrame::ImportFiles(const QStringList& files, bool ask) {
  WDTreeView* tree = CatalogTree(*this);
  model::WDGroup* folder = tree ? tree->GetSelectedFolder() : nullptr;
  const std::vector<model::WDValue*> made = ImportContainers(doc_, files, ask, folder);
  if (tree) {
    for (model::WDValue* value : made) tree->InsertNewItem(value, folder);
    if (!made.empty()) tree->SelectItem(made.back());
  }
  return static_cast<int>(made.size());
}

void CMainFrame::SetBarsVisible() {
  const bool visible = app_.Settings().m_bToolBarVisible != 0;
  if (toolBar_) toolBar_->setVisible(visible);
  if (views_) views_->TabWindow()->SetBarVisible(visible);
}

void CMainFrame::ShowAndActivate() {
  setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  show();
  raise();
  activateWindow();
  // Where no window manager keeps it on top, the splash would vanish behind the window.
  if (splash_) splash_->raise();
}

void CMainFrame::HideWindow() {
  hide();
}

void CMainFrame::StartHidden() {
  if (tray_.IsEnabled()) return;
  ShowAndActivate();
  statusBar()->setVisible(true);
  statusBar()->showMessage(Text(platform::ids::kNoTrayNote), 20000);
}

void CMainFrame::UpdateAgentState() {
  if (doc_.CountActiveEvents() > 0) {
    tray_.HideTrayIcon();
    tray_.ShowTrayIcon();
    tray_.ChangeTip(Text(platform::ids::kTrayAlert));
    tray_.LoadIconSequence(res::kTrayAlertFirst, res::kTrayAlertLast);
    tray_.StartCycling(kAlertStepMs, 0);
    // Otherwise the line would still say that pages are being refreshed.
    if (statusLabel_) statusLabel_->setText(Text(platform::ids::kTrayAlert));
    bell_.RingBell(platform::JoinPath(app_.Settings().WorkDirectory(), "sound/bell.wav"));
  } else if (doc_.IsBusy() != 0) {
    tray_.ChangeTip(Text(platform::ids::kTrayWorking));
    tray_.LoadIconSequence(res::kTrayIdle, res::kTrayWorkingLast);
    tray_.StartCycling(kWorkingStepMs, 0);
    if (statusLabel_) statusLabel_->setText(Text(platform::ids::kTrayWorking));
  } else {
    tray_.ChangeTip(Text(platform::ids::kTrayIdle));
    tray_.StopCycling();
    tray_.ChangeIcon(res::kTrayIdle);
    if (statusLabel_) statusLabel_->setText(Text(platform::ids::kStatusReady));
  }
  UpdateCommandStates();
}

bool CMainFrame::LendCatalog(std::string& error) {
  refreshTimer_.stop();
  doc_.StopAll();
  engine::FetchWorker::WaitForAll(kStopWait);
  doc_.GetDispatcher()->RunPending();
  if (doc_.IsBusy() != 0 || (doc_.IsModified() && !doc_.Save())) {
    error = doc_.IsBusy() != 0 ? "its fetches did not end in time" : "the catalog could not be saved";
    refreshTimer_.start(kRefreshTickMs);
    return false;
  }
  lent_ = true;
  // Whatever the views changed now would be lost when the catalog comes back.
  if (centralWidget()) centralWidget()->setEnabled(false);
  UpdateCommandStates();
  return true;
}

void CMainFrame::TakeCatalogBack() {
  doc_.OnNewDocument(doc_.GetPath());
  lent_ = false;
  if (centralWidget()) centralWidget()->setEnabled(true);
  Q_EMIT CatalogReloaded();
  if (!closed_) refreshTimer_.start(kRefreshTickMs);
  UpdateAgentState();
}

void CMainFrame::ReceiveHandOver(const std::string& containerPath) {
  ShowAndActivate();
  if (!containerPath.empty()) ImportFiles({FromBytes(containerPath)}, true);
}

void CMainFrame::ImportDropped(const QStringList& files) {
  ImportFiles(files, false);
}

void CMainFrame::OpenTrayEntry(int index) {
  const std::vector<model::WDValue*> beacons = doc_.AllBeacons();
  if (index < 0 || static_cast<size_t>(index) >= beacons.size()) return;
  const std::string url = beacons[index]->GetURL();
  if (!url.empty()) settings::OpenTarget(url);
}

bool CMainFrame::CloseFrame(bool askUser) {
  if (closed_) return true;
  if (closing_) return false;
  closing_ = true;
  refreshTimer_.stop();
  views_->Notify(TabNotify::Closing, {});
  // Fetches still running would change the catalog after it was saved: stop them and take in what
  // they brought first.
  doc_.StopAll();
  engine::FetchWorker::WaitForAll(kStopWait);
  doc_.GetDispatcher()->RunPending();
  const bool hidden = !askUser || !isVisible();
  // A lent catalog was saved before it was lent; saving now would overwrite the command's change.
  if (!lent_ && !doc_.SaveModified(hidden)) {
    closing_ = false;
    refreshTimer_.start(kRefreshTickMs);
    return false;
  }
  SavePlacement();
  engine::CloseSession();
  tray_.StopCycling();
  tray_.HideTrayIcon();
  closed_ = true;
  closing_ = false;
  return true;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (!CloseFrame(true)) {
    event->ignore();
    return;
  }
  event->accept();
  QApplication::quit();
}

void CMainFrame::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Minimising hides the window into the tray, where there is one.
  if (event->type() == QEvent::WindowStateChange && isMinimized() && tray_.IsEnabled()) {
    QTimer::singleShot(0, this, &CMainFrame::HideWindow);
  }
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  QStringList files;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) files.append(url.toLocalFile());
  }
  if (files.isEmpty()) return;
  event->acceptProposedAction();
  ImportDropped(files);
}

void CMainFrame::ApplyPlacement() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  const settings::WDFrameRect rect = app_.Settings().GetFrameRect(area.width(), area.height());
  resize(rect.X_Size, rect.Y_Size);
  move(area.left() + rect.X_TopPos, area.top() + rect.Y_TopPos);
}

void CMainFrame::SavePlacement() {
  settings::WDSettings& s = app_.Settings();
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->geometry() : QRect();
  const QRect placed(pos(), size());
  // A maximised window, or one dragged off the screen, keeps the placement saved before.
  if (!isMaximized() && placed.width() < area.width() && placed.height() < area.height() && placed.intersects(area)) {
    s.m_nXSize = placed.width();
    s.m_nYSize = placed.height();
    s.m_nXTopPos = placed.left() - area.left();
    s.m_nYTopPos = placed.top() - area.top();
  }
  if (views_) s.m_nXSplitterPos = views_->MainSplitter()->PaneSize(0);
}

}  // namespace quorvex::gui
