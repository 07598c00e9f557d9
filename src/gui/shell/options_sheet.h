#pragma once
// The Options sheet (command 32821, and once at first start): the pages Interface, Common,
// Connection, E-mail and, except at first start, Language. It edits the settings object in memory
// when closed with OK; Cancel changes nothing. Only the autostart entry is written at once.
#include <QDialog>
#include <QTabWidget>
#include <cstddef>
#include <functional>
#include <string>

namespace quorvex::settings {
class WDSettings;
}

namespace quorvex::gui {

class CInterfacePage;
class CCommonPage;
class CConnectionPage;
class WDSetEmail;
class CLanguagePage;

class COptionsSheet : public QDialog {
  Q_OBJECT

 public:
  // s must outlive the sheet. listedJobs tells, at OK, how many fetches are running (a new Internet
  // session is refused while any is); empty means none. At first start there is no Language page
  // and no new session is made (the main window makes it right after).
  COptionsSheet(settings::WDSettings& s, bool firstStart, std::function<size_t()> listedJobs = {},
                QWidget* parent = nullptr);

  // False when the Language page finds no language to choose: the sheet must not be shown.
  bool Usable() const;
  QTabWidget* Pages() const { return pages_; }

  // OK: checks every page (a bad entry keeps the sheet open on its page), then stores, in this order:
  // the language (telling that it applies at the next start when it changed), the refresh settings,
  // the autostart entry when its tick changed (written at once; a failure is shown), the rest, and
  // a new Internet session when the proxy settings changed.
  void accept() override;

 private:
  void Store();

  settings::WDSettings& s_;
  bool firstStart_;
  std::function<size_t()> listedJobs_;
  QTabWidget* pages_;
  CInterfacePage* interface_;
  CCommonPage* common_;
  CConnectionPage* connection_;
  WDSetEmail* email_;
  CLanguagePage* language_ = nullptr;
  // As they were when the sheet opened.
  bool startWithSession_ = false;
  std::string langFileName_;
  bool viaProxy_;
  std::string proxyServer_;
  int proxyPort_;
};

// Runs the sheet modally: true when closed with OK. Without a usable language list shows the fixed
// "no english.lng" message and returns false.
bool EditOptions(settings::WDSettings& s, bool firstStart, std::function<size_t()> listedJobs = {},
                 QWidget* parent = nullptr);

}  // namespace quorvex::gui
