#pragma once
// Reads container files (".bcn"), Internet shortcut files (".url") and the other monitor's files
// (".gm") into plain beacon descriptions. The line syntax is documented in doc/container-format.md.
//
// The reader never touches the catalog: the caller turns the result into beacons. A file that is
// not a container is reported as an error, never a crash.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/container_beacon.h"

namespace quorvex::exchange {

enum class ContainerError {
  kNone,
  kCannotOpen,     // the file could not be opened or read (language text 61451)
  kNotAContainer,  // no section line, a "type" other than HttpDocument, or no address (61540)
};

struct ContainerReadResult {
  ContainerError error = ContainerError::kNone;
  // One beacon, or one per marked value of a ".gm" file; empty for a ".gm" file without marker.
  std::vector<ContainerBeacon> beacons;
  // Why the file was refused, in English, for logs and the command line.
  std::string reason;

  bool ok() const { return error == ContainerError::kNone; }
};

// Lines longer than this are read in pieces of this size, each piece taken as a line of its own.
constexpr size_t kContainerPieceBytes = 999;
// A section line is shorter than this (its line end counted) ...
constexpr size_t kSectionLineLimit = 53;
// ... and names 1 to this many bytes.
constexpr size_t kSectionNameMaxBytes = 50;
// An Internet shortcut's beacon is named after the file, cut to this many bytes.
constexpr size_t kShortcutNameMaxBytes = 49;

class ContainerReader {
 public:
  // fileName decides the flavour by its extension ("url", "gm", anything else a container) and,
  // for a shortcut, gives the beacon's name. Only the part after the last '/' is looked at.
  explicit ContainerReader(std::string_view fileName);

  // Takes one piece as the file reader produces it: at most kContainerPieceBytes bytes, ending
  // with its LF when the line ended inside the piece. Ignored once reading has stopped.
  void FeedPiece(std::string_view piece);
  // True after a "type" key refused the file: the rest need not be read.
  bool Stopped() const { return rejected_; }
  // Decodes, applies the schedule rule and makes the beacons. Call once, after the last piece.
  ContainerReadResult Finish();

  // Reads a whole text (CR LF or LF line ends) named fileName.
  static ContainerReadResult ReadText(std::string_view text, std::string_view fileName);
  // Reads the regular file at path (larger than platform::kMaxContainerFileBytes, or not a regular
  // file, it is refused as unreadable).
  static ContainerReadResult ReadFile(const std::string& path);

  // The pattern decoding of the format: "\t" and "\n" become TAB and LF, then six-byte numeric
  // references such as "&#065;" become their byte (see doc/container-format.md for the stop rules).
  static std::string DecodePattern(std::string pattern);

 private:
  void ApplyKey(std::string_view line);

  std::string extension_;
  std::string baseName_;

  bool seenSection_ = false;
  bool rejected_ = false;
  std::string sectionName_;
  std::string address_;
  std::string path_;
  std::string pattern_;
  std::optional<int> valType_;
  std::string unit_;
  int interval_ = 0;
  int intervalUnit_ = 0;
  std::string description_;
};

}  // namespace quorvex::exchange
