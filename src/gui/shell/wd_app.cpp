#include "gui/shell/wd_app.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QSessionManager>
#include <chrono>
#include <iostream>

#include "engine/catalog_lock.h"
#include "engine/fetch_worker.h"
#include "engine/qvx_doc.h"
#include "gui/shell/alert_host.h"
#include "gui/shell/command_line.h"
#include "gui/shell/dispatcher_pump.h"
#include "gui/shell/document_commands.h"
#include "gui/shell/first_start.h"
#include "gui/shell/gui_text.h"
#include "gui/shell/main_frame.h"
#include "gui/shell/owner_link.h"
#include "gui/shell/qt_prompt.h"
#include "gui/shell/single_instance.h"
#include "gui/shell/stop_signals.h"
#include "model/document_hooks.h"
#include "platform/string_ids.h"
#include "settings/app_context.h"
#include "settings/language_folder.h"

namespace quorvex::gui {
namespace {

// How long the end waits for fetches that outlived the frame.
constexpr std::chrono::milliseconds kWorkerWait{3000};

std::vector<std::string> Arguments(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return args;
}

// A path the first instance can open whatever its working folder.
std::string Absolute(const std::string& path) {
  return path.empty() ? path : QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString();
}

}  // namespace

int RunApplication(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quorvex"));
  QApplication::setApplicationDisplayName(QStringLiteral("Quorvex"));
  QApplication::setDesktopFileName(QStringLiteral("quorvex"));
  // The agent lives on in the tray when its window is hidden.
  QApplication::setQuitOnLastWindowClosed(false);

  StartOptions options = ParseArguments(Arguments(argc, argv));
  if (options.help) {
    std::cout << UsageText();
    return 0;
  }
  if (!options.error.empty()) {
    std::cerr << "quorvex: " << options.error << "\n" << UsageText();
    return 1;
  }
  std::string container = options.containerFile.empty()
                              ? std::string()
                              : StartOptions::ExistingCase(options.containerFile, options.containerAsGiven);
  std::vector<std::string> imports;
  if (!container.empty()) imports.push_back(Absolute(container));
  for (const std::string& file : options.importFiles) imports.push_back(Absolute(file));

  QtPrompt prompt;
  SingleInstance instance;
  std::string why;
  const std::string handOver = imports.empty() ? std::string() : imports.front();
  switch (instance.Start(handOver, &why)) {
    case SingleInstance::Role::HandedOver:
      if (handOver.size() > kMaxHandOverPath)
        prompt.ShowMessage(ToBytes(Text(platform::ids::kMsgHandOverTooLong, {handOver})),
                           platform::PromptIcon::Exclamation);
      return 0;
    case SingleInstance::Role::Failed:
      // Never a reason not to start: this instance just cannot be reached by later starts.
      std::cerr << "quorvex: " << why << "\n";
      break;
    case SingleInstance::Role::Primary:
      break;
  }

  settings::AppOptions appOptions;
  appOptions.catalogOverride =
      options.workFile.empty() ? std::string() : StartOptions::ExistingCase(options.workFile, options.workAsGiven);
  settings::AppContext context(appOptions);
  settings::WDSettings& s = context.Settings();
  // A language file that cannot be used falls back to English; without that the built-in texts serve.
  if (settings::LoadLanguage(s.WorkDirectory(), s.m_strLangFileName) != settings::LanguageResult::kOk &&
      settings::LoadLanguage(s.WorkDirectory(), settings::kEnglishFileName) != settings::LanguageResult::kOk) {
    prompt.ShowMessage(settings::kNoEnglishMessage, platform::PromptIcon::Stop);
  }
  if (!context.SettingsComplete() && !RunFirstStart(s)) return 0;

  // One owner per catalog: another program that has it open keeps it.
  engine::CatalogOwner owner;
  if (!owner.Open(context.CatalogPath(), &why)) {
    prompt.ShowMessage(ToBytes(Text(platform::ids::kMsgCantStart, {why})), platform::PromptIcon::Stop);
    return 2;
  }
  engine::WDQvxDoc doc;
  model::SetActiveDocument(&doc);
  doc.OnNewDocument(context.CatalogPath());
  StartPumping(doc.GetDispatcher());

  QtAlertWindows alerts;
  int status = 0;
  {
    CMainFrame frame(context, doc);
    prompt.SetParent(&frame);
    alerts.SetOnAlert([&frame] { frame.UpdateAgentState(); });
    frame.Create(options.ShowSplash());
    alerts.Attach(&frame);
    instance.SetHandler([&frame](const std::string& path) { frame.ReceiveHandOver(path); });
    engine::CatalogOwner::Hooks hooks;
    hooks.release = [&frame](std::string& error) { return frame.LendCatalog(error); };
    hooks.reload = [&frame] { frame.TakeCatalogBack(); };
    OwnerLink ownerLink(owner, hooks);

    if (s.m_bRunMinimize == 0 && !options.hiddenStart) {
      frame.ShowAndActivate();
    } else {
      frame.StartHidden();
    }
    for (const std::string& file : imports) frame.ImportFiles({QString::fromStdString(file)}, true);

    // A kill or the end of the desktop session ends the program the way its exit command does.
    StopSignalNotifier stopSignals;
    QObject::connect(&stopSignals, &StopSignalNotifier::Received, &frame, [&frame] {
      frame.CloseFrame(false);
      QApplication::quit();
    });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &frame,
                     [&frame](QSessionManager&) { frame.CloseFrame(false); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &frame, [&frame] { frame.CloseFrame(false); });
    status = QApplication::exec();
    prompt.SetParent(nullptr);
    alerts.Attach(nullptr);
  }
  StopPumping(doc.GetDispatcher());
  doc.StopAll();
  engine::FetchWorker::WaitForAll(kWorkerWait);
  model::SetActiveDocument(nullptr);
  return status;
}

}  // namespace quorvex::gui
