// Colouring a page in the page-source pane: a 52 KB HTML page (the fetch limit) with tags, attributes,
// quoted values, comments and entities, coloured in full (goal: under 20 ms). Also the whole showing of
// such a page in a pane with colouring and layout, as a fetch ends.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <string>

#include "gui/textview/html_highlighter.h"

namespace {

using namespace quorvex;

// A page like a shop's: rows of a price table with links, comments and entities, about size bytes.
QString MakePage(size_t size) {
  std::string page = "<!DOCTYPE html>\n<html><head><title>Shop &amp; prices</title>\n<!-- generated\n  page -->\n";
  for (int row = 0; page.size() < size; ++row) {
    page += "<tr class=\"row\" id='r" + std::to_string(row) + "'><td><a href=\"/item?id=" + std::to_string(row) +
            "&amp;ref=list\">Item " + std::to_string(row) + "</a></td>\n  <td align=right>" +
            std::to_string(row * 7 % 1000) + ".90&nbsp;&euro;</td><!-- row " + std::to_string(row) + " --></tr>\n";
  }
  page.resize(size);
  return QString::fromStdString(page);
}

void BM_ColourPage(benchmark::State& state) {
  QTextDocument document;
  document.setPlainText(MakePage(52000));
  QPlainTextEdit palette;
  gui::HtmlHighlighter highlighter(&document, palette.palette());
  for (auto _ : state) highlighter.rehighlight();
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 52000);
}
BENCHMARK(BM_ColourPage)->Unit(benchmark::kMillisecond);

void BM_ShowColouredPage(benchmark::State& state) {
  const QString page = MakePage(52000);
  QPlainTextEdit edit;
  edit.resize(700, 500);
  gui::HtmlHighlighter highlighter(edit.document(), edit.palette());
  for (auto _ : state) {
    edit.setPlainText(page);
    QApplication::processEvents();
  }
}
BENCHMARK(BM_ShowColouredPage)->Unit(benchmark::kMillisecond);

}  // namespace
