#pragma once
// The pages of the Options sheet: Interface, Common (refreshing), Connection. Each page shows the
// settings it edits when filled, checks its entries (Validate) and writes them back (Store) only when
// the sheet closes with OK. The E-mail page and the Language page have their own headers.
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>

namespace quorvex::settings {
class WDSettings;
}

namespace quorvex::gui {

// Reads an integer entry. ranged: it must lie in [least, greatest]. On a bad entry shows the
// integer message (with the range when ranged) through the core's prompt, puts the focus and the
// selection on the field and returns false.
bool ReadInteger(QLineEdit* edit, bool ranged, int least, int greatest, int& value);

class CInterfacePage : public QWidget {
  Q_OBJECT

 public:
  explicit CInterfacePage(const settings::WDSettings& s, QWidget* parent = nullptr);
  void Store(settings::WDSettings& s) const;

 private:
  void Browse();

  QCheckBox* runMinimize_;
  QCheckBox* savePrompt_;
  QCheckBox* hideAllMessages_;
  QCheckBox* soundEnable_;
  QLineEdit* browser_;
};

class CCommonPage : public QWidget {
  Q_OBJECT

 public:
  // startWithSession: whether the autostart entry exists now.
  CCommonPage(const settings::WDSettings& s, bool startWithSession, QWidget* parent = nullptr);
  bool Validate() const;
  void Store(settings::WDSettings& s) const;
  bool StartWithSession() const { return startWithSession_->isChecked(); }

 private:
  void ShowLimit();

  QCheckBox* refreshByHand_;
  QRadioButton* limitPages_;
  QRadioButton* unlimitedPages_;
  QLineEdit* pagesAtTheTime_;
  QCheckBox* startWithSession_;
};

class CConnectionPage : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kMinTimeOut = 1, kMaxTimeOut = 40;
  static constexpr int kMinRetries = 1, kMaxRetries = 10;
  static constexpr int kMinPort = 1, kMaxPort = 65535;

  explicit CConnectionPage(const settings::WDSettings& s, QWidget* parent = nullptr);
  bool Validate() const;
  void Store(settings::WDSettings& s) const;

 private:
  void ShowProxy();

  QLineEdit* timeOut_;
  QLineEdit* retries_;
  QCheckBox* viaProxy_;
  QLineEdit* proxyServer_;
  QLineEdit* proxyPort_;
};

}  // namespace quorvex::gui
