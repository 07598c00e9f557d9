#include "exchange/container_reader.h"

#include "exchange/byte_text.h"
#include "platform/paths.h"

namespace quorvex::exchange {
namespace {

constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";

// Splits a byte stream into the pieces a container line reader sees: CR LF read as LF (a lone CR
// stays), a piece ends after its LF or at kContainerPieceBytes bytes.
class PieceSplitter {
 public:
  explicit PieceSplitter(ContainerReader& reader) : reader_(reader) { piece_.reserve(kContainerPieceBytes); }

  void Push(const char* data, size_t size) {
    for (size_t i = 0; i < size && !reader_.Stopped(); ++i) {
      char c = data[i];
      if (pendingCr_) {
        pendingCr_ = false;
        if (c != '\n') Add('\r');
      }
      if (c == '\r') {
        pendingCr_ = true;
        continue;
      }
      Add(c);
    }
  }

  void End() {
    if (pendingCr_) Add('\r');
    pendingCr_ = false;
    if (!piece_.empty()) reader_.FeedPiece(piece_);
    piece_.clear();
  }

 private:
  void Add(char c) {
    piece_.push_back(c);
    if (c == '\n' || piece_.size() == kContainerPieceBytes) {
      reader_.FeedPiece(piece_);
      piece_.clear();
    }
  }

  ContainerReader& reader_;
  std::string piece_;
  bool pendingCr_ = false;
};

std::string_view Trim(std::string_view text) {
  size_t first = text.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(kWhiteSpace);
  return text.substr(first, last - first + 1);
}

// A key line's value: LF bytes dropped, blanks trimmed, then one pair of enclosing quotes (or a
// lone opening quote) removed, so `  "a b"  ` is `a b` and `"` alone is empty.
std::string CleanValue(std::string_view raw) {
  std::string value;
  value.reserve(raw.size());
  for (char c : raw) {
    if (c != '\n') value += c;
  }
  value = std::string(Trim(value));
  if (!value.empty() && value.front() == '"') {
    bool closed = value.size() > 1 && value.back() == '"';
    value = value.substr(1, value.size() - (closed ? 2 : 1));
  }
  return value;
}

std::string CleanKey(std::string_view raw) {
  std::string key;
  for (char c : raw) {
    if (c != ' ' && c != '"' && c != '\t') key += c;
  }
  return LowerAscii(key);
}

bool IsValidKind(int kind) {
  return kind == kContainerKindText || kind == kContainerKindNumber || kind == kContainerKindChecksum;
}

ContainerReadResult Refused(ContainerError error, std::string reason) {
  ContainerReadResult result;
  result.error = error;
  result.reason = std::move(reason);
  return result;
}

}  // namespace

ContainerReader::ContainerReader(std::string_view fileName) {
  size_t slash = fileName.rfind('/');
  std::string_view file = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
  size_t dot = file.rfind('.');
  if (dot != std::string_view::npos) {
    extension_ = LowerAscii(file.substr(dot + 1));
    baseName_ = CutBytes(std::string(file.substr(0, dot)), kShortcutNameMaxBytes);
  }
}

void ContainerReader::FeedPiece(std::string_view piece) {
  if (rejected_) return;
  // Lines are C strings to the format: a NUL ends the piece.
  piece = piece.substr(0, piece.find('\0'));
  if (!piece.empty() && piece.front() == '[' && piece.size() < kSectionLineLimit) {
    // The name runs to the first ']' or, without one, to the end of the piece (its LF included).
    size_t close = piece.find(']', 1);
    std::string_view name = piece.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
    if (!name.empty() && name.size() <= kSectionNameMaxBytes) {
      sectionName_ = std::string(name);
      seenSection_ = true;
      return;
    }
    // Not a section after all; as a key line its key would begin with '[' and match no key.
  }
  if (!seenSection_ || piece.find('=') == std::string_view::npos) return;
  ApplyKey(piece);
}

void ContainerReader::ApplyKey(std::string_view line) {
  size_t eq = line.find('=');
  std::string key = CleanKey(line.substr(0, eq));
  std::string value = CleanValue(line.substr(eq + 1));
  if (key == "type") {
    if (LowerAscii(value) != "httpdocument") rejected_ = true;
  } else if (key == "url") {
    address_ = value;
    path_.clear();
  } else if (key == "host") {
    address_ = "http://" + value + "/";
  } else if (key == "path") {
    path_ = value;
  } else if (key == "searchpattern") {
    pattern_ = value;
  } else if (key == "valtype") {
    valType_ = ParseLeadingInt(value);
  } else if (key == "measurementunit") {
    unit_ = value;
  } else if (key == "interval") {
    interval_ = ParseLeadingInt(value);
  } else if (key == "intervalunit") {
    intervalUnit_ = ParseLeadingInt(value);
  } else if (key == "description") {
    description_ = value;
  }
}

std::string ContainerReader::DecodePattern(std::string pattern) {
  ReplaceAll(pattern, "\\t", "\t");
  ReplaceAll(pattern, "\\n", "\n");
  // Every round removes at least five bytes, so this ends even when a reference decodes to '&'.
  for (;;) {
    size_t pos = pattern.find("&#");
    if (pos == std::string::npos || pos + 6 > pattern.size() || pattern[pos + 5] != ';') break;
    std::string reference = pattern.substr(pos, 6);
    int number = ParseLeadingInt(std::string_view(reference).substr(2, 3));
    if (number > 256) break;
    auto byte = static_cast<unsigned char>(number & 0xFF);
    ReplaceAll(pattern, reference, byte == 0 ? std::string() : std::string(1, static_cast<char>(byte)));
  }
  return pattern;
}

ContainerReadResult ContainerReader::Finish() {
  if (!seenSection_) return Refused(ContainerError::kNotAContainer, "the file has no section line");
  if (rejected_) return Refused(ContainerError::kNotAContainer, "the file's type is not HttpDocument");
  if (address_.empty()) return Refused(ContainerError::kNotAContainer, "the file gives no page address");

  ContainerBeacon proto;
  proto.url = address_ + path_;
  proto.unit = unit_;
  proto.description = description_;
  ReplaceAll(proto.description, "\\t", "\t");
  ReplaceAll(proto.description, "\\n", "\n");
  // A count below 1 or an unknown unit would make the page due at every tick: such a file gets
  // the default schedule, or days for its count.
  if (interval_ > 0) {
    proto.atStart = false;
    proto.interval = interval_;
    proto.intervalUnit = intervalUnit_ >= kContainerUnitMinutes && intervalUnit_ <= kContainerUnitMonths
                             ? intervalUnit_
                             : kContainerUnitDays;
  }

  ContainerReadResult result;
  std::string pattern = DecodePattern(pattern_);
  std::string name = sectionName_;
  const bool marked = extension_ == "gm";
  for (int i = 0;; ++i) {
    if (marked) {
      // The i-th marker becomes the capture, the earlier captures become skips.
      ReplaceAll(pattern, "{?", "{*");
      size_t marker = pattern.find("{%}");
      if (marker == std::string::npos) break;
      pattern.replace(marker, 3, "{?}");
      name += " %" + std::to_string(i);
    }
    ContainerBeacon beacon = proto;
    beacon.name = extension_ == "url" ? baseName_ : name;
    beacon.pattern = pattern;
    // ValType may only name a value kind: a folder or plain item cannot be a beacon.
    if (valType_ && IsValidKind(*valType_)) {
      beacon.kind = *valType_;
    } else if (pattern.empty()) {
      beacon.kind = kContainerKindChecksum;
    } else {
      beacon.kind = unit_.empty() ? kContainerKindText : kContainerKindNumber;
    }
    result.beacons.push_back(std::move(beacon));
    if (!marked) break;
  }
  return result;
}

ContainerReadResult ContainerReader::ReadText(std::string_view text, std::string_view fileName) {
  ContainerReader reader(fileName);
  PieceSplitter splitter(reader);
  splitter.Push(text.data(), text.size());
  splitter.End();
  return reader.Finish();
}

ContainerReadResult ContainerReader::ReadFile(const std::string& path) {
  std::string bytes;
  std::string error;
  if (platform::ReadWholeFile(path, bytes, &error, platform::kMaxContainerFileBytes) != platform::ReadResult::Ok) {
    return Refused(ContainerError::kCannotOpen, error.empty() ? "cannot open " + path : error);
  }
  return ReadText(bytes, path);
}

}  // namespace quorvex::exchange
