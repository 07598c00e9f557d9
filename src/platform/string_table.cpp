#include "platform/string_table.h"

#include <cctype>
#include <cstring>
#include <vector>

namespace quorvex::platform {
namespace {

const StringSource* g_source = nullptr;

struct BuiltinEntry {
  uint16_t id;
  const char* text;
};

// English texts for when no language file is loaded.
const BuiltinEntry kBuiltin[] = {
    {61489, "The search pattern could not be applied:"},
    {61490, "A part of the pattern was not found in the page."},
    {61491, "No part of the pattern is unique in the page."},
    {61492, "The pattern is malformed: it must begin with text, and two braces must be separated by text."},
    {61493, "Unknown pattern error."},
    {32812, "%d.%m.%y %H:%M"},
    {61453, "The Internet session could not be opened."},
    {61498, "The change takes effect the next time the program starts."},
    {61518, "Check the proxy server name and port."},
};

}  // namespace

bool BuiltinString(uint16_t id, std::string& out) {
  for (const auto& entry : kBuiltin) {
    if (entry.id == id) {
      out = entry.text;
      return true;
    }
  }
  return false;
}

std::string GetString(uint16_t id) {
  std::string text;
  if (g_source && g_source->Lookup(id, text)) return text;
  if (BuiltinString(id, text)) return text;
  return "-?-";
}

void SetStringSource(const StringSource* source) {
  g_source = source;
}

std::string FillPlaceholders(const std::string& text, std::initializer_list<std::string> args) {
  std::vector<std::string> values(args);
  size_t next = 0;
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    size_t j = i + 1;
    while (j < text.size() && std::strchr("-+ #0", text[j])) ++j;
    while (j < text.size() && (std::isdigit(static_cast<unsigned char>(text[j])) || text[j] == '.')) ++j;
    while (j < text.size() && std::strchr("hlLqjzt", text[j])) ++j;
    if (j < text.size() && std::strchr("sdiuxXcfgeEGp", text[j]) && next < values.size()) {
      out += values[next++];
      i = j;
    } else {
      out += '%';
    }
  }
  return out;
}

}  // namespace quorvex::platform
