#include "gui/textview/html_highlighter.h"

#include <QPalette>

namespace quorvex::gui {

namespace {

bool IsNameChar(QChar c) {
  return c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u':' || c == u'.';
}

bool IsBlank(QChar c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f';
}

// An entity's longest name ("&thetasym;" and numeric forms fit).
constexpr int kMaxEntityLength = 12;

}  // namespace

HtmlColors HtmlColorsFor(const QPalette& palette) {
  if (palette.color(QPalette::Base).lightness() < 128) {
    return {QColor(0x86, 0xb7, 0xff), QColor(0xf2, 0xb8, 0x6b), QColor(0x9c, 0xd6, 0x8c), QColor(0x9a, 0xa0, 0xa6),
            QColor(0xe5, 0x9c, 0xde)};
  }
  return {QColor(0x10, 0x45, 0xa8), QColor(0x94, 0x45, 0x00), QColor(0x1c, 0x6e, 0x1c), QColor(0x6b, 0x6b, 0x6b),
          QColor(0x9a, 0x1b, 0x77)};
}

HtmlHighlighter::HtmlHighlighter(QTextDocument* document, const QPalette& palette) : QSyntaxHighlighter(document) {
  SetPalette(palette);
}

void HtmlHighlighter::SetPalette(const QPalette& palette) {
  m_colors = HtmlColorsFor(palette);
  m_tag.setForeground(m_colors.tag);
  m_tag.setFontWeight(QFont::DemiBold);
  m_attribute.setForeground(m_colors.attribute);
  m_string.setForeground(m_colors.string);
  m_comment.setForeground(m_colors.comment);
  m_comment.setFontItalic(true);
  m_entity.setForeground(m_colors.entity);
  rehighlight();
}

void HtmlHighlighter::highlightBlock(const QString& text) {
  const QChar* s = text.constData();
  const int n = static_cast<int>(text.size());
  State state = previousBlockState() < 0 ? State::Text : static_cast<State>(previousBlockState());
  int i = 0;
  bool valueNext = false;  // after "=" in a tag: an unquoted value follows
  while (i < n) {
    switch (state) {
      case State::Text: {
        while (i < n && s[i] != u'<' && s[i] != u'&') ++i;
        if (i >= n) break;
        if (s[i] == u'&') {
          int j = i + 1;
          while (j < n && j - i <= kMaxEntityLength && (s[j].isLetterOrNumber() || s[j] == u'#')) ++j;
          if (j < n && s[j] == u';' && j > i + 1) {
            setFormat(i, j + 1 - i, m_entity);
            i = j + 1;
          } else {
            ++i;
          }
          break;
        }
        if (i + 3 < n && s[i + 1] == u'!' && s[i + 2] == u'-' && s[i + 3] == u'-') {
          const int end = static_cast<int>(text.indexOf(QLatin1String("-->"), i + 4));
          if (end < 0) {
            setFormat(i, n - i, m_comment);
            state = State::Comment;
            i = n;
          } else {
            setFormat(i, end + 3 - i, m_comment);
            i = end + 3;
          }
          break;
        }
        // "<" followed by a name, "/", "!" or "?" opens a tag; a lone "<" is text.
        int j = i + 1;
        if (j < n && (s[j] == u'/' || s[j] == u'!' || s[j] == u'?')) ++j;
        if (j < n && s[j].isLetter()) {
          while (j < n && IsNameChar(s[j])) ++j;
          setFormat(i, j - i, m_tag);
          state = State::Tag;
          i = j;
        } else {
          ++i;
        }
        break;
      }
      case State::Comment: {
        const int end = static_cast<int>(text.indexOf(QLatin1String("-->"), i));
        if (end < 0) {
          setFormat(i, n - i, m_comment);
          i = n;
        } else {
          setFormat(i, end + 3 - i, m_comment);
          i = end + 3;
          state = State::Text;
        }
        break;
      }
      case State::Tag: {
        while (i < n && IsBlank(s[i])) ++i;
        if (i >= n) break;
        const QChar c = s[i];
        if (c == u'>' || (c == u'/' && i + 1 < n && s[i + 1] == u'>') || (c == u'?' && i + 1 < n && s[i + 1] == u'>')) {
          const int len = c == u'>' ? 1 : 2;
          setFormat(i, len, m_tag);
          i += len;
          state = State::Text;
        } else if (c == u'"' || c == u'\'') {
          state = c == u'"' ? State::DoubleQuoted : State::SingleQuoted;
          valueNext = false;
          setFormat(i, 1, m_string);
          ++i;
        } else if (c == u'=' || c == u'/') {
          valueNext = c == u'=';
          ++i;
        } else {
          int j = i;
          while (j < n && !IsBlank(s[j]) && s[j] != u'=' && s[j] != u'>' && s[j] != u'"' && s[j] != u'\'') ++j;
          if (j == i) ++j;
          setFormat(i, j - i, valueNext ? m_string : m_attribute);
          valueNext = false;
          i = j;
        }
        break;
      }
      case State::DoubleQuoted:
      case State::SingleQuoted: {
        const QChar quote = state == State::DoubleQuoted ? u'"' : u'\'';
        const int end = static_cast<int>(text.indexOf(quote, i));
        if (end < 0) {
          setFormat(i, n - i, m_string);
          i = n;
        } else {
          setFormat(i, end + 1 - i, m_string);
          i = end + 1;
          state = State::Tag;
        }
        break;
      }
    }
  }
  setCurrentBlockState(static_cast<int>(state));
}

}  // namespace quorvex::gui
