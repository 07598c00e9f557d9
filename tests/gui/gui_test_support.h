#pragma once
// What the GUI tests share: a private home for settings, catalogs and the runtime folder, beacons
// made the way the command line makes them, the main window over a catalog of the test's own, and
// the headers that nearly every test uses: Qt Widgets and Qt Test, the frame and its views, the text
// and command ids.
#include <QtTest>
#include <QtWidgets>
#include <functional>
#include <memory>
#include <string>

#include "engine/qvx_doc.h"
#include "gui/shell/gui_text.h"
#include "gui/shell/main_frame.h"
#include "gui/shell/qt_prompt.h"
#include "gui/tabframe/tab_wnd.h"
#include "gui/tabframe/visual_framework.h"
#include "gui/views/tree_view.h"
#include "gui/views/view_ids.h"
#include "model/alert.h"
#include "model/group.h"
#include "model/item.h"
#include "model/value.h"
#include "platform/command_ids.h"
#include "platform/string_ids.h"
#include "settings/app_context.h"
#include "settings/language_folder.h"

namespace quorvex::gui::test {

// Points the settings, data, cache and runtime folders into a temporary folder while it lives.
class TestHome {
 public:
  TestHome() {
    for (const char* name :
         {"QUORVEX_CONFIG_DIR", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
      const QString folder = dir_.filePath(QString::fromLatin1(name));
      QDir().mkpath(folder);
      QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
      qputenv(name, folder.toLocal8Bit());
    }
  }
  QString Path(const QString& name) const { return dir_.filePath(name); }
  std::string PathBytes(const QString& name) const { return Path(name).toStdString(); }

 private:
  QTemporaryDir dir_;
};

// A beacon filed at the end of the catalog root (or of folder). An empty pattern makes a checksum beacon.
inline model::WDValue* AddBeacon(engine::WDQvxDoc& doc, const std::string& name, const std::string& url,
                                 const std::string& pattern = {}, model::WDGroup* folder = nullptr) {
  model::WDValue* value = doc.NewBeacon();
  value->SetKind(pattern.empty() ? model::kKindChecksum : model::kKindText);
  value->SetProperties(name, url, pattern, {}, {});
  (folder ? folder : doc.GetRoot())->AddChild(value);
  return value;
}

// A number beacon whose samples are taken `step` seconds apart, the first at `first`.
inline model::WDValue* AddNumber(engine::WDQvxDoc& doc, const std::string& name, const std::string& url,
                                 std::initializer_list<std::string> samples, int64_t first, int64_t step,
                                 model::WDGroup* folder = nullptr) {
  model::WDValue* value = AddBeacon(doc, name, url, "<b>{?}</b>", folder);
  value->SetKind(model::kKindNumber);
  for (const std::string& sample : samples) {
    value->GetHistory().AddRecord(model::WDHistoryRecord(sample, first));
    first += step;
  }
  return value;
}

// An event "value <op> operand" appended to the beacon's alert.
inline model::WDEventMessager& AddEvent(model::WDValue& beacon, int op, const std::string& operand) {
  auto event = std::make_unique<model::WDEventMessager>();
  event->m_condition.m_nOperator = op;
  event->m_condition.m_strOperand = operand;
  return beacon.GetAlert().AddEvent(std::move(event));
}

// The named child widget; a test cannot go on without it.
template <class T>
T* Find(const QObject& parent, const char* name) {
  T* child = parent.findChild<T*>(QLatin1String(name));
  if (!child) qFatal("no widget %s", name);
  return child;
}

// The frame's view of that object id, of that class; a test cannot go on without it.
template <class T>
T* View(CMainFrame& frame, int id) {
  T* view = qobject_cast<T*>(frame.Views().GetObject(id));
  if (!view) qFatal("no view %d of that class", id);
  return view;
}

// Runs the document's dispatcher until done() holds or about ten seconds have passed.
inline bool PumpUntil(engine::WDQvxDoc& doc, const std::function<bool()>& done) {
  for (int i = 0; i < 1000 && !done(); ++i) {
    doc.GetDispatcher()->RunPending();
    QTest::qWait(10);
  }
  return done();
}

// A private home, English texts, no sound, an empty catalog as the active document (a new document
// makes itself the active one, and takes itself out when it goes), scripted answers,
// and (after MakeFrame) the main window with its views.
struct FrameFixture {
  FrameFixture() {
    // Every icon the window and its views name exists.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("^quorvex: no icon named")));
    context.Settings().m_bSoundEnable = 0;
    settings::LoadLanguage(context.Settings().WorkDirectory(), settings::kEnglishFileName);
    doc.OnNewDocument(home.PathBytes(QStringLiteral("catalog.dat")));
  }
  ~FrameFixture() {
    if (frame) frame->CloseFrame(false);
  }
  // A main window (closing the one before, which saves its placement) with the tree as `tree`.
  CMainFrame& MakeFrame() {
    if (frame) frame->CloseFrame(false);
    frame.reset();
    frame = std::make_unique<CMainFrame>(context, doc);
    frame->Create(false);
    tree = CatalogTree(*frame);
    return *frame;
  }
  int ActiveTab() const { return frame->Views().TabWindow()->ActiveTab(); }

  TestHome home;
  settings::AppContext context;
  engine::WDQvxDoc doc;
  ScriptedPrompt prompt;
  std::unique_ptr<CMainFrame> frame;
  WDTreeView* tree = nullptr;
};

}  // namespace quorvex::gui::test
