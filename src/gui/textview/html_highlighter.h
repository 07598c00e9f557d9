#pragma once
// Colouring of HTML in the page-source pane: tags, attribute names, quoted attribute values, comments
// and character entities. One pass over each line with no regular expressions, so a page of 52 KB is
// coloured in a few milliseconds; comments and quoted values may span lines (the line's end state
// carries over). Colours follow the palette: dark text colours on a light base, light ones on a dark
// base. UI thread only.
#include <QColor>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

class QPalette;

namespace quorvex::gui {

struct HtmlColors {
  QColor tag;
  QColor attribute;
  QColor string;
  QColor comment;
  QColor entity;
};

// The colours for a palette, chosen by the lightness of its base (the text background).
HtmlColors HtmlColorsFor(const QPalette& palette);

class HtmlHighlighter : public QSyntaxHighlighter {
  Q_OBJECT

 public:
  // What a line ends in; the next line starts there.
  enum class State : int { Text = 0, Comment = 1, Tag = 2, DoubleQuoted = 3, SingleQuoted = 4 };

  // Colours document (may be null) with the colours of palette.
  HtmlHighlighter(QTextDocument* document, const QPalette& palette);

  // New colours for a changed palette; colours the document again.
  void SetPalette(const QPalette& palette);
  const HtmlColors& Colors() const { return m_colors; }

 protected:
  void highlightBlock(const QString& text) override;

 private:
  HtmlColors m_colors;
  QTextCharFormat m_tag, m_attribute, m_string, m_comment, m_entity;
};

}  // namespace quorvex::gui
