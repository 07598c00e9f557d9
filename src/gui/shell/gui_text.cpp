#include "gui/shell/gui_text.h"

#include "platform/string_table.h"
#include "text/display.h"

namespace quorvex::gui {

QString FromBytes(const std::string& bytes) {
  return QString::fromStdString(text::DisplayText(bytes));
}

std::string ToBytes(const QString& text) {
  return text.toStdString();
}

QString Text(uint16_t id) {
  return FromBytes(platform::GetString(id));
}

QString Text(uint16_t id, std::initializer_list<std::string> args) {
  return FromBytes(platform::FillPlaceholders(platform::GetString(id), args));
}

QString PromptPart(uint16_t id) {
  return Text(id).section(QLatin1Char('\n'), 0, 0);
}

QString TipPart(uint16_t id) {
  const QString text = Text(id);
  const qsizetype newline = text.indexOf(QLatin1Char('\n'));
  return newline < 0 ? QString() : text.mid(newline + 1);
}

}  // namespace quorvex::gui
