#pragma once
// The font dialog (command 32814, and once at first start): the four display fonts of the settings,
// kept as their 60-byte records. Every change acts on the settings at once; there is no Cancel.
#include <QComboBox>
#include <QDialog>
#include <QFont>
#include <QLineEdit>
#include <QListWidget>
#include <QStringList>

#include "settings/log_font.h"

namespace quorvex::settings {
class WDSettings;
}

namespace quorvex::gui {

// A record as a screen font: face, pixel height (0: the default size), weight and italic.
QFont FontOf(const settings::LogFont& font);
// The value of a style entry: weight × 10, plus 1 when italic.
inline int StyleValue(int weight, bool italic) {
  return weight * 10 + (italic ? 1 : 0);
}

class CFontDialog : public QDialog {
  Q_OBJECT

 public:
  // s must outlive the dialog. firstStart sets the four fonts to their defaults first.
  CFontDialog(settings::WDSettings& s, bool firstStart, QWidget* parent = nullptr);

  // The font of slot 0..3 (font 1..4).
  settings::LogFont& SlotFont(int slot);

 private:
  void SelectSlot();
  void FillFaceDetails();
  void Apply();
  void ResetAll();

  settings::WDSettings& s_;
  QListWidget* slots_;
  QComboBox* face_;
  QComboBox* script_;
  QComboBox* style_;
  QLineEdit* size_;
  QWidget* preview_;
  bool filling_ = false;  // a slot's values are being shown: no apply from the combos meanwhile
};

// Runs the dialog modally. Always true: there is nothing to cancel.
bool EditFonts(settings::WDSettings& s, bool firstStart, QWidget* parent = nullptr);

}  // namespace quorvex::gui
