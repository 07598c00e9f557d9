#include "gui/shell/font_dialog.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "gui/shell/gui_text.h"
#include "platform/string_ids.h"
#include "settings/settings.h"

namespace quorvex::gui {
namespace {

using namespace platform::ids;
using settings::LogFont;

constexpr int kSlotCount = 4;
constexpr QSize kPreviewSize{330, 300};
constexpr int kItalicByte = 255;

// Windows character sets of the scripts, as the stored records name them.
struct ScriptCharset {
  QFontDatabase::WritingSystem system;
  int charset;
};
constexpr ScriptCharset kScripts[] = {
    {QFontDatabase::Latin, 0},
    {QFontDatabase::Symbol, 2},
    {QFontDatabase::Japanese, 128},
    {QFontDatabase::Korean, 129},
    {QFontDatabase::SimplifiedChinese, 134},
    {QFontDatabase::TraditionalChinese, 136},
    {QFontDatabase::Greek, 161},
    {QFontDatabase::Vietnamese, 163},
    {QFontDatabase::Hebrew, 177},
    {QFontDatabase::Arabic, 178},
    {QFontDatabase::Cyrillic, 204},
    {QFontDatabase::Thai, 222},
};

// Draws the four sample texts, each in its slot's font.
class FontPreview : public QWidget {
 public:
  explicit FontPreview(CFontDialog& dialog) : dialog_(dialog) {
    setObjectName(QStringLiteral("FontPreview"));
    setMinimumSize(kPreviewSize);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    for (uint16_t id : {kFontSample1, kFontSample2, kFontSample3, kFontSample4}) samples_.push_back(Text(id));
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const int margin = 8;
    int y = margin;
    for (int slot = 0; slot < kSlotCount; ++slot) {
      painter.setFont(FontOf(dialog_.SlotFont(slot)));
      const QFontMetrics metrics = painter.fontMetrics();
      const QRect line(margin, y, width() - 2 * margin, metrics.height());
      painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                       metrics.elidedText(samples_[slot], Qt::ElideRight, line.width()));
      y += metrics.height() + margin;
    }
  }

 private:
  CFontDialog& dialog_;
  QStringList samples_;
};

}  // namespace

QFont FontOf(const LogFont& font) {
  QFont result(QString::fromStdString(font.FaceName()));
  if (font.lfHeight != 0) result.setPixelSize(std::abs(font.lfHeight));
  result.setWeight(static_cast<QFont::Weight>(std::clamp(font.lfWeight == 0 ? 400 : font.lfWeight, 1, 1000)));
  result.setItalic(font.lfItalic != 0);
  return result;
}

CFontDialog::CFontDialog(settings::WDSettings& s, bool firstStart, QWidget* parent) : QDialog(parent), s_(s) {
  setObjectName(QStringLiteral("FontDialog"));
  setWindowTitle(Text(kFontsCaption).remove(QLatin1Char('\n')).remove(QLatin1Char('\r')));
  if (firstStart) {
    for (int n = 1; n <= kSlotCount; ++n) s_.Font(n) = LogFont::Default(n);
  }

  slots_ = new QListWidget;
  slots_->setObjectName(QStringLiteral("FontSlots"));
  const QStringList names = Text(kFontSlotNames).split(QLatin1Char(','));
  for (int slot = 0; slot < kSlotCount; ++slot)
    slots_->addItem(slot < names.size() ? names[slot].trimmed() : QString());
  slots_->setFixedHeight(slots_->sizeHintForRow(0) * kSlotCount + 2 * slots_->frameWidth() + 4);
  face_ = new QComboBox;
  face_->setObjectName(QStringLiteral("FontFace"));
  QStringList families = QFontDatabase::families();
  families.sort(Qt::CaseInsensitive);
  face_->addItems(families);
  script_ = new QComboBox;
  script_->setObjectName(QStringLiteral("FontScript"));
  style_ = new QComboBox;
  style_->setObjectName(QStringLiteral("FontStyle"));
  size_ = new QLineEdit;
  size_->setObjectName(QStringLiteral("FontSize"));
  size_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), size_));
  size_->setFixedWidth(size_->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 16);
  auto* reset = new QPushButton(Text(kFontResetAll));
  reset->setObjectName(QStringLiteral("FontResetAll"));
  auto* ok = new QPushButton(Text(kOk));
  ok->setObjectName(QStringLiteral("OkButton"));
  ok->setDefault(true);
  preview_ = new FontPreview(*this);

  auto* sizeLabel = new QLabel(Text(kFontSizeLabel));
  sizeLabel->setBuddy(size_);
  auto* sizeRow = new QHBoxLayout;
  sizeRow->addWidget(sizeLabel);
  sizeRow->addWidget(size_);
  sizeRow->addStretch();
  auto* controls = new QVBoxLayout;
  for (QWidget* widget : std::initializer_list<QWidget*>{slots_, face_, script_, style_}) controls->addWidget(widget);
  controls->addLayout(sizeRow);
  controls->addStretch();
  controls->addWidget(reset);
  controls->addWidget(ok);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(preview_, 1);
  layout->addLayout(controls);

  connect(slots_, &QListWidget::currentRowChanged, this, &CFontDialog::SelectSlot);
  connect(face_, &QComboBox::currentIndexChanged, this, [this] {
    if (filling_) return;
    FillFaceDetails();
    Apply();
  });
  for (QComboBox* box : {script_, style_}) {
    connect(box, &QComboBox::currentIndexChanged, this, [this] {
      if (!filling_) Apply();
    });
  }
  connect(size_, &QLineEdit::editingFinished, this, &CFontDialog::Apply);
  connect(reset, &QPushButton::clicked, this, &CFontDialog::ResetAll);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  slots_->setCurrentRow(0);
}

LogFont& CFontDialog::SlotFont(int slot) {
  return s_.Font(slot + 1);
}

void CFontDialog::SelectSlot() {
  const int slot = slots_->currentRow();
  if (slot < 0) return;
  const LogFont& font = SlotFont(slot);
  filling_ = true;
  // A face not installed here still shows by name, greyed, and stays stored.
  face_->setPlaceholderText(QString::fromStdString(font.FaceName()));
  face_->setCurrentIndex(face_->findText(QString::fromStdString(font.FaceName()), Qt::MatchStartsWith));
  size_->setText(QString::number(font.lfHeight));
  FillFaceDetails();
  script_->setCurrentIndex(script_->findData(int{font.lfCharSet}));
  style_->setCurrentIndex(style_->findData(StyleValue(font.lfWeight, font.lfItalic != 0)));
  filling_ = false;
  Apply();
}

void CFontDialog::FillFaceDetails() {
  const bool wasFilling = filling_;
  filling_ = true;
  script_->clear();
  style_->clear();
  const QString family = face_->currentText();
  if (!family.isEmpty()) {
    const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(family);
    QList<std::pair<QString, int>> scripts;
    for (const ScriptCharset& script : kScripts) {
      if (systems.contains(script.system)) {
        scripts.append({QFontDatabase::writingSystemName(script.system), script.charset});
      }
    }
    std::sort(scripts.begin(), scripts.end(),
              [](const auto& a, const auto& b) { return a.first.compare(b.first, Qt::CaseInsensitive) < 0; });
    for (const auto& [name, charset] : scripts) script_->addItem(name, charset);
    for (const QString& style : QFontDatabase::styles(family)) {
      if (style_->findText(style, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0) continue;
      style_->addItem(style, StyleValue(QFontDatabase::weight(family, style), QFontDatabase::italic(family, style)));
    }
  }
  filling_ = wasFilling;
}

void CFontDialog::Apply() {
  const int slot = slots_->currentRow();
  if (slot < 0) return;
  LogFont& font = SlotFont(slot);
  font.lfHeight = size_->text().toInt();
  font.lfWidth = 0;
  // What the lists cannot show (a face or style not installed here) stays as stored.
  if (style_->currentIndex() >= 0) {
    const int value = style_->currentData().toInt();
    font.lfWeight = value / 10;
    font.lfItalic = static_cast<uint8_t>(kItalicByte * (value % 10));
  }
  if (script_->currentIndex() >= 0) font.lfCharSet = static_cast<uint8_t>(script_->currentData().toInt());
  if (face_->currentIndex() >= 0) font.SetFaceName(face_->currentText().toStdString());
  preview_->update();
}

void CFontDialog::ResetAll() {
  for (int n = 1; n <= kSlotCount; ++n) s_.Font(n) = LogFont::Default(n);
  SelectSlot();
}

bool EditFonts(settings::WDSettings& s, bool firstStart, QWidget* parent) {
  CFontDialog dialog(s, firstStart, parent);
  dialog.exec();
  return true;
}

}  // namespace quorvex::gui
