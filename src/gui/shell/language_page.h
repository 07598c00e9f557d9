#pragma once
// The Language page: the language files of the program folder to choose from, used by the Options
// sheet and, at first start, by the "Language selection" sheet. The choice takes effect at the next
// start (or, at first start, right after the sheet closes).
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <string>

namespace quorvex::settings {
class WDSettings;
}

namespace quorvex::gui {

// Fixed texts of the first-start sheet: no language is in use yet when it opens.
inline constexpr char kLanguageSelectionTitle[] = "Language selection";
inline constexpr char kLanguagePageCaption[] = "Language";

class CLanguagePage : public QWidget {
  Q_OBJECT

 public:
  // selectedName: the file chosen so far (LangFileName); workDir: the program folder. firstStart
  // changes the label's prefix and drops the question before a change.
  CLanguagePage(const std::string& selectedName, const std::string& workDir, bool firstStart,
                QWidget* parent = nullptr);

  // False when no language can be chosen (no usable english.lng and the selected file is missing):
  // the sheet holding the page must then close without a choice, after showing kNoEnglishMessage.
  bool Usable() const { return usable_; }
  // The chosen file name ("english.lng"): what OK stores as LangFileName.
  const std::string& SelectedName() const { return selected_; }

 private:
  void OnSelectionChanged();
  void SelectRowOf(const std::string& fileName);
  QString Prefix() const;

  QListWidget* list_;
  QLabel* current_;
  std::string selected_;
  bool firstStart_;
  bool usable_ = true;
};

// The first-start "Language selection" sheet over s: true when the user confirmed a choice, which is
// then stored in s.m_strLangFileName. Shows kNoEnglishMessage and returns false when nothing can be
// chosen.
bool SelectLanguage(settings::WDSettings& s, QWidget* parent = nullptr);

}  // namespace quorvex::gui
