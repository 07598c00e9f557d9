// Build step: turns english.lng into the table of built-in English texts (platform/builtin_strings.h).
// Usage: make_builtin_strings <english.lng> <output.cpp>
#include <cstdio>
#include <fstream>
#include <string>

#include "settings/language_file.h"

namespace {

// A C++ string literal holding exactly the bytes of text.
std::string Literal(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '?') {
      out += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\%03o", c);
      out += escaped;
    }
  }
  return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_builtin_strings <english.lng> <output.cpp>\n");
    return 2;
  }
  quorvex::settings::LanguageFile language;
  auto result = language.Load(argv[1]);
  if (result != quorvex::settings::LanguageResult::kOk || language.Ids().empty()) {
    std::fprintf(stderr, "%s: not a usable language file (%d, line %zu) %s\n", argv[1], static_cast<int>(result),
                 language.ErrorLine(), language.ErrorText().c_str());
    return 1;
  }
  std::string code =
      "// Generated from english.lng by make_builtin_strings at build time. Do not edit.\n"
      "#include \"platform/builtin_strings.h\"\n\n"
      "namespace quorvex::platform::detail {\n\n"
      "const BuiltinString kBuiltinStrings[] = {\n";
  for (uint16_t id : language.Ids()) {
    std::string text;
    language.Lookup(id, text);
    code += "    {" + std::to_string(id) + ", " + Literal(text) + "},\n";
  }
  code +=
      "};\n"
      "const size_t kBuiltinStringCount = sizeof(kBuiltinStrings) / sizeof(kBuiltinStrings[0]);\n\n"
      "}  // namespace quorvex::platform::detail\n";
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << code;
  out.close();
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
