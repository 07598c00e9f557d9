#pragma once
// Texts for the screen. Every text the user sees comes from the language file (GetString) or from
// stored byte strings; both go through the core's display decoding (UTF-8 when valid, else
// Windows-1251) before they become a QString.
#include <QString>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace quorvex::gui {

// A stored byte string as text.
QString FromBytes(const std::string& bytes);
// Text back to the bytes the core stores (UTF-8).
std::string ToBytes(const QString& text);
// The language text of id.
QString Text(uint16_t id);
// The language text of id with its placeholders filled in order.
QString Text(uint16_t id, std::initializer_list<std::string> args);
// A language text's status-bar prompt and tool tip ("prompt\ntip"): either part may be missing.
QString PromptPart(uint16_t id);
QString TipPart(uint16_t id);

}  // namespace quorvex::gui
