#pragma once
// Constants and result types of the catalog archive's object stream; the byte layout they name is
// described in doc/archive-format.md.
#include <cstddef>
#include <cstdint>
#include <string>

namespace quorvex::model {

// The failure kinds the catalog's users already know from archive files; the document maps them
// to the user's language.
enum class ArchiveError {
  kNone,
  kGeneric,    // malformed in a way none of the others names (e.g. objects nested too deeply)
  kEndOfFile,  // the data ends before what it announces (also any count or length past the end)
  kBadIndex,   // an object or class number that does not name what it must
  kBadClass,   // an unknown or unregistered class name, or an object of the wrong class
  kBadSchema,  // a known class stored with another schema number
};

// Which file generation a stream follows. The older one has no header and lacks the trailing
// reserved fields of several classes; layouts ask IsCurrentGeneration() for those fields.
enum class ArchiveGeneration { kOlder, kCurrent };

// Outcome of reading or writing an archive. Readers and writers never throw: they keep the first
// failure, and every later operation does nothing (reads give zero values), so a caller may run a
// whole layout and check once at the end.
struct ArchiveStatus {
  ArchiveError code = ArchiveError::kNone;
  std::string message;  // English, for logs and the command line; empty while ok
  size_t offset = 0;    // byte offset where the failure was noticed

  bool ok() const { return code == ArchiveError::kNone; }
};

// Tags that open an OBJECT.
inline constexpr uint16_t kNullTag = 0x0000;
inline constexpr uint16_t kNewClassTag = 0xFFFF;      // schema, name length, name, then a new object
inline constexpr uint16_t kClassTag = 0x8000;         // | class number: a new object of a known class
inline constexpr uint16_t kBigObjectTag = 0x7FFF;     // a DWORD follows: object number, or class number
inline constexpr uint32_t kBigClassTag = 0x80000000;  // ... with this bit set
// Numbers from here on need the kBigObjectTag escape.
inline constexpr uint32_t kFirstBigNumber = 0x7FFF;
// Classes and objects of one stream share one numbering; 0 stands for null.
inline constexpr uint32_t kMaxMapCount = 0x3FFFFFFE;

// STRING length prefixes: a byte, or 0xFF then a WORD, or 0xFF, 0xFFFF then a DWORD.
inline constexpr uint8_t kStringByteEscape = 0xFF;
inline constexpr uint16_t kStringWordEscape = 0xFFFF;
inline constexpr uint16_t kStringUtf16Marker = 0xFFFE;  // after 0xFF: UTF-16 text, second prefix follows
// COUNT: a WORD, or 0xFFFF then a DWORD.
inline constexpr uint16_t kCountEscape = 0xFFFF;

// Longest class name, in bytes.
inline constexpr size_t kMaxClassNameLength = 63;

// A short English name for code ("end of file", "bad class", ...).
const char* ArchiveErrorName(ArchiveError code);

}  // namespace quorvex::model
