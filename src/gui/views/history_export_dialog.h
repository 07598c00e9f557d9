#pragma once
// "Export history": writes a beacon's samples, newest first, to a delimited text file through the
// core's WDHistory::BuildExportText.
#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace quorvex::model {
class WDValue;
}

namespace quorvex::gui {

class HistoryExportDialog : public QDialog {
  Q_OBJECT

 public:
  // The file name starts as the beacon's name with ".sdf" in the folder of the last export.
  HistoryExportDialog(const model::WDValue& value, QWidget* parent = nullptr);

  // Writes the file; on failure tells why (kMsgCantOpenFile) and returns false.
  bool Export();

  QLineEdit* FileEdit() const { return m_pFile; }
  QLineEdit* FieldEdit() const { return m_pField; }
  QLineEdit* RecordEdit() const { return m_pRecord; }
  QCheckBox* DateOnlyBox() const { return m_pDateOnly; }
  QCheckBox* CombineBox() const { return m_pCombine; }

 private:
  const model::WDValue& m_value;
  QLineEdit* m_pFile;
  QLineEdit* m_pField;
  QLineEdit* m_pRecord;
  QCheckBox* m_pDateOnly;
  QCheckBox* m_pCombine;
};

// Runs the dialog for value and exports on OK.
void ExportHistory(const model::WDValue& value, QWidget* parent);

}  // namespace quorvex::gui
