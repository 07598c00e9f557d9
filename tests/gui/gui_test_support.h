#pragma once
// What the GUI tests share: a private home for settings, catalogs and the runtime folder, and beacons
// made the way the command line makes them.
#include <QTemporaryDir>
#include <QtTest>
#include <string>

#include "engine/qvx_doc.h"
#include "gui/shell/main_frame.h"
#include "gui/shell/qt_prompt.h"
#include "model/group.h"
#include "model/item.h"
#include "model/value.h"
#include "settings/app_context.h"
#include "settings/language_folder.h"

namespace quorvex::gui::test {

// Points the settings, data and runtime folders into a temporary folder while it lives.
class TestHome {
 public:
  TestHome() {
    for (const char* name : {"QUORVEX_CONFIG_DIR", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
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

// A beacon filed at the end of the catalog root. An empty pattern makes a checksum beacon.
inline model::WDValue* AddBeacon(engine::WDQvxDoc& doc, const std::string& name, const std::string& url,
                                 const std::string& pattern = {}) {
  model::WDValue* value = doc.NewBeacon();
  value->SetKind(pattern.empty() ? model::kKindChecksum : model::kKindText);
  value->SetProperties(name, url, pattern, {}, {});
  doc.GetRoot()->AddChild(value);
  return value;
}

// A private home, English texts, no sound, an empty catalog as the active document, scripted answers,
// and (after MakeFrame) the main window with its views.
struct FrameFixture {
  FrameFixture() {
    context.Settings().m_bSoundEnable = 0;
    settings::LoadLanguage(context.Settings().WorkDirectory(), settings::kEnglishFileName);
    model::SetActiveDocument(&doc);
    doc.OnNewDocument(home.PathBytes(QStringLiteral("catalog.dat")));
  }
  ~FrameFixture() {
    if (frame) frame->CloseFrame(false);
    frame.reset();
    model::SetActiveDocument(nullptr);
  }
  CMainFrame& MakeFrame() {
    frame = std::make_unique<CMainFrame>(context, doc);
    frame->Create(false);
    return *frame;
  }

  TestHome home;
  settings::AppContext context;
  engine::WDQvxDoc doc;
  ScriptedPrompt prompt;
  std::unique_ptr<CMainFrame> frame;
};

}  // namespace quorvex::gui::test
