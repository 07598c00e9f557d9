#pragma once
// The English texts built into the program. The table is generated at build time from
// resources/Language/english.lng by the language reader itself, so that file stays the one place
// where English texts are written.
#include <cstddef>
#include <cstdint>

namespace quorvex::platform::detail {

struct BuiltinString {
  uint16_t id;
  const char* text;  // escapes already turned into CR and LF
};

// Ordered by ascending id.
extern const BuiltinString kBuiltinStrings[];
extern const size_t kBuiltinStringCount;

}  // namespace quorvex::platform::detail
