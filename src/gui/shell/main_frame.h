#pragma once
// The program's one top-level window. It places the views (tab framework), builds the menus from the
// language file, runs the one-minute refresh tick, and is the agent's face: the tray icon with its
// menu and animation, the bell, and hiding instead of minimising. The views do the catalog work; the
// frame only routes commands to them and to the document.
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QToolBar>
#include <memory>

#include "gui/shell/alert_bell.h"
#include "gui/shell/menu_builder.h"
#include "gui/shell/system_tray.h"
#include "platform/agent_state.h"

namespace quorvex::engine {
class WDQvxDoc;
}
namespace quorvex::settings {
class AppContext;
}

namespace quorvex::gui {

class CommandTarget;
class TVisualFramework;

// The window title that names the running program (also its object name for tests: "MainFrame").
inline constexpr char kFrameTitle[] = "Catalog - Quorvex";
// The refresh tick.
inline constexpr int kRefreshTickMs = 60000;
// Steps of the agent's animations (the icons are in icons.h).
inline constexpr int kWorkingStepMs = 150;
inline constexpr int kAlertStepMs = 50;

// The context menus of the language file: of a beacon (tree and folder list), of a folder (tree) and
// of an alert window.
enum class ContextMenuKind { Beacon, Folder, Alert };

class CMainFrame : public QMainWindow, public platform::AgentStateHost {
  Q_OBJECT

 public:
  // app and doc must outlive the frame. Installs itself as the core's agent-state host.
  CMainFrame(settings::AppContext& app, engine::WDQvxDoc& doc);
  ~CMainFrame() override;

  // The creation sequence: menus, tool bar, status bar, tray icon, refresh tick, Internet session,
  // splash screen, agent state, tab labels. False (with the reason shown) when the Internet session
  // cannot be made from the settings; the frame still works, fetches are then refused.
  bool Create(bool showSplash);

  // Show and activate (command 32797, tray double-click, a second start).
  void ShowAndActivate();
  // Hide (command 32798, minimising when the tray exists).
  void HideWindow();
  // A start that asked to be hidden: without a notification area the window is shown with a note,
  // so the program never becomes invisible.
  void StartHidden();

  // Runs a command of the menus, tool bar or tray. False when the command did not run.
  bool OnCommand(uint16_t command);
  // Enables, greys and checks the actions for the current state.
  void UpdateCommandStates();

  // A container handed over by a second start: asks, then imports.
  void ReceiveHandOver(const std::string& containerPath);
  // Files dropped on the window: imported without a question.
  void ImportDropped(const QStringList& files);
  // Imports container files into the folder selected in the catalog tree (asking first with ask),
  // shows the new beacons in the tree and selects the last one. Returns how many beacons came in.
  int ImportFiles(const QStringList& files, bool ask);

  // The exit sequence (exit command, window close, SIGTERM, end of the desktop session): running
  // fetches stopped, the catalog saved (asking only when shown and SavePrompt is set), the layout
  // stored. askUser false saves silently. False when the user chose to keep the program open.
  bool CloseFrame(bool askUser);

  void UpdateAgentState() override;

  // The catalog's owner side: a command asks for the catalog. LendCatalog stops the fetches and saves;
  // until TakeCatalogBack loads the file again, nothing here changes or saves the catalog.
  bool LendCatalog(std::string& error);
  void TakeCatalogBack();
  bool IsCatalogLent() const { return lent_; }

  engine::WDQvxDoc& Document() { return doc_; }
  settings::AppContext& App() { return app_; }
  CSystemTray& Tray() { return tray_; }
  AlertBell& Bell() { return bell_; }
  TVisualFramework& Views() { return *views_; }
  // The views, or nullptr before Create.
  const TVisualFramework* FindViews() const { return views_.get(); }
  QMenu& TrayMenu() { return trayMenu_; }
  CommandActions& Actions() { return actions_; }
  // A context menu for the views; its actions carry command ids like the menu bar's. Empty when the
  // language file has none.
  QMenu& ContextMenu(ContextMenuKind kind) { return contextMenus_[static_cast<int>(kind)]; }
  QTimer& RefreshTimer() { return refreshTimer_; }
  // The frame's idle status text (pane 0).
  QString StatusText() const { return statusLabel_->text(); }

 Q_SIGNALS:
  // A step of the tray animation (the tree animates its fetching items with it).
  void AnimationStep(int index);
  // The catalog was loaded anew (a command changed it): every item pointer held so far is gone, and
  // the views fill themselves again.
  void CatalogReloaded();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // The view that takes an item command: the focused view when it does, else the catalog tree.
  CommandTarget* TargetFor(uint16_t command) const;
  void BuildMenus();
  void BuildToolBar();
  void ApplyPlacement();
  void SavePlacement();
  void OpenTrayEntry(int index);
  void SetBarsVisible();

  settings::AppContext& app_;
  engine::WDQvxDoc& doc_;
  std::unique_ptr<TVisualFramework> views_;
  CommandActions actions_;
  CommandActions alertActions_;  // the alert menu's: its states are its window's, not the frame's
  QToolBar* toolBar_ = nullptr;
  QLabel* statusLabel_ = nullptr;
  CSystemTray tray_;
  QMenu trayMenu_;
  QMenu contextMenus_[3];
  AlertBell bell_;
  QTimer refreshTimer_;
  QPointer<QWidget> splash_;
  bool closing_ = false;
  bool lent_ = false;
  bool closed_ = false;
  platform::AgentStateHost* previousHost_;
};

}  // namespace quorvex::gui
