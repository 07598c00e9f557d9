#include "platform/string_table.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <vector>

#include "platform/builtin_strings.h"

namespace quorvex::platform {
namespace {

// Read by any thread that looks a text up; set once at start by the UI thread.
std::atomic<const StringSource*> g_source{nullptr};

}  // namespace

bool BuiltinString(uint16_t id, std::string& out) {
  const detail::BuiltinString* end = detail::kBuiltinStrings + detail::kBuiltinStringCount;
  const detail::BuiltinString* entry =
      std::lower_bound(detail::kBuiltinStrings, end, id,
                       [](const detail::BuiltinString& candidate, uint16_t wanted) { return candidate.id < wanted; });
  if (entry == end || entry->id != id) return false;
  out = entry->text;
  return true;
}

std::string GetString(uint16_t id) {
  std::string text;
  const StringSource* source = g_source.load();
  if (source && source->Lookup(id, text)) return text;
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
