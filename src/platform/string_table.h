#pragma once
// Every text the user sees is looked up by a 16-bit id (names in platform/string_ids.h). The
// language file reader installs its table here; until then (and for ids it lacks) the English
// texts built into the program answer: those are english.lng, compiled in at build time.
#include <cstdint>
#include <initializer_list>
#include <string>

namespace quorvex::platform {

class StringSource {
 public:
  virtual ~StringSource() = default;
  // Stores the text of id in out and returns true when the source has it.
  virtual bool Lookup(uint16_t id, std::string& out) const = 0;
};

// The text for id: the installed source, else the built-in English text, else "-?-".
std::string GetString(uint16_t id);

// Installs the language (not owned; must outlive its use). nullptr leaves only the built-in texts.
// Call from the UI thread; lookups on other threads see either the old or the new source.
void SetStringSource(const StringSource* source);

// The built-in English text of id; false when there is none.
bool BuiltinString(uint16_t id, std::string& out);

// Fills the printf-style placeholders of a language text with args, in order. Language files are
// outside input, so their texts are never handed to printf as a format: every conversion
// (%s, %d, %i, %u, %x, %c, with flags, width, precision and length letters) takes the next argument
// as already formatted text, "%%" gives "%", and a placeholder without an argument stays as written.
std::string FillPlaceholders(const std::string& text, std::initializer_list<std::string> args);

}  // namespace quorvex::platform
