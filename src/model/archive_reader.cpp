#include "model/archive_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace quorvex::model {
namespace {

// Table slots tell classes from objects by the lowest address bit.
static_assert(alignof(ArchiveClass) > 1 && alignof(ArchiveObject) > 1);

// Class names come from the file: show them without control bytes.
std::string Printable(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out.push_back(static_cast<char>(c));
    } else {
      out += "\\x";
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

constexpr uint32_t kReplacementCharacter = 0xFFFD;

}  // namespace

ArchiveReader::ArchiveReader(std::string_view bytes, const ArchiveRegistry& registry, ArchiveGeneration generation)
    : begin_(reinterpret_cast<const uint8_t*>(bytes.data())),
      pos_(begin_),
      end_(begin_ + bytes.size()),
      registry_(registry),
      generation_(generation) {
  table_.push_back(0);  // number 0 is null
  slots_.push_back(0);
}

void ArchiveReader::Number(Slot slot) {
  if (slot == 0) {
    table_.push_back(0);
    return;
  }
  table_.push_back(static_cast<uint32_t>(slots_.size()));  // below kMaxMapCount: checked before numbering
  slots_.push_back(slot);
}

ArchiveReader::~ArchiveReader() {
  // Outer objects were kept last; let them go first.
  while (!kept_.empty()) kept_.pop_back();
}

ArchiveGeneration ArchiveReader::DetectGeneration(std::string_view file_start) {
  if (file_start.size() >= 4 && static_cast<uint8_t>(file_start[2]) == 0xFF &&
      static_cast<uint8_t>(file_start[3]) == 0xFF) {
    return ArchiveGeneration::kOlder;
  }
  return ArchiveGeneration::kCurrent;
}

void ArchiveReader::FailAt(size_t offset, ArchiveError code, std::string message) {
  if (!status_.ok() || code == ArchiveError::kNone) return;
  status_.code = code;
  status_.offset = offset;
  status_.message = std::string(ArchiveErrorName(code)) + " at offset " + std::to_string(offset) + ": " + message;
  pos_ = end_;  // every later read now fails its bounds check at once
}

void ArchiveReader::Fail(ArchiveError code, std::string message) {
  FailAt(position(), code, std::move(message));
}

void ArchiveReader::FailShort(size_t needed) {
  if (!ok()) return;
  FailAt(position(), ArchiveError::kEndOfFile,
         "needed " + std::to_string(needed) + " bytes, " + std::to_string(remaining()) + " left");
}

double ArchiveReader::ReadDouble() {
  uint64_t low = ReadDword();
  uint64_t high = ReadDword();
  if (!ok()) return 0.0;
  uint64_t bits = low | (high << 32);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

uint64_t ArchiveReader::ReadLengthPrefix(bool* utf16) {
  uint8_t byte = ReadByte();
  if (byte < kStringByteEscape) return byte;
  uint16_t word = ReadWord();
  if (word == kStringUtf16Marker) {
    // The marker is followed by a second prefix, counting 16-bit units.
    *utf16 = true;
    byte = ReadByte();
    if (byte < kStringByteEscape) return byte;
    word = ReadWord();
  }
  if (word < kStringWordEscape) return word;
  return ReadDword();
}

std::string ArchiveReader::ReadString() {
  const size_t start = position();
  bool utf16 = false;
  uint64_t length = ReadLengthPrefix(&utf16);
  if (!ok() || length == 0) return {};
  if (utf16) return ReadUtf16(length);
  if (length > remaining()) {
    FailAt(start, ArchiveError::kEndOfFile,
           "string of " + std::to_string(length) + " bytes, " + std::to_string(remaining()) + " left");
    return {};
  }
  std::string text(reinterpret_cast<const char*>(pos_), static_cast<size_t>(length));
  pos_ += length;
  return text;
}

std::string ArchiveReader::ReadUtf16(uint64_t units) {
  if (units * 2 > remaining()) {
    FailAt(position(), ArchiveError::kEndOfFile,
           "UTF-16 string of " + std::to_string(units) + " units, " + std::to_string(remaining()) + " bytes left");
    return {};
  }
  const uint8_t* p = pos_;
  const uint8_t* end = pos_ + units * 2;
  pos_ = end;
  std::string out;
  out.reserve(static_cast<size_t>(units));
  while (p < end) {
    uint32_t unit = p[0] | (p[1] << 8);
    p += 2;
    if (unit >= 0xD800 && unit < 0xDC00 && p < end) {
      uint32_t next = p[0] | (p[1] << 8);
      if (next >= 0xDC00 && next < 0xE000) {
        p += 2;
        AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
        continue;
      }
    }
    AppendUtf8(out, (unit >= 0xD800 && unit < 0xE000) ? kReplacementCharacter : unit);
  }
  return out;
}

uint32_t ArchiveReader::ReadCount(size_t min_element_bytes) {
  const size_t start = position();
  uint32_t count = ReadWord();
  if (count == kCountEscape) count = ReadDword();
  if (!ok()) return 0;
  if (min_element_bytes == 0) min_element_bytes = 1;
  if (static_cast<uint64_t>(count) * min_element_bytes > remaining()) {
    FailAt(start, ArchiveError::kEndOfFile,
           "count " + std::to_string(count) + " does not fit in the " + std::to_string(remaining()) + " bytes left");
    return 0;
  }
  return count;
}

std::string ArchiveReader::ReadPageAddress() {
  std::string address = ReadString();
  if (!address.empty() && (static_cast<uint8_t>(address[0]) == 0xEA || static_cast<uint8_t>(address[0]) == 0xED)) {
    address.erase(0, 1);
  }
  return address;
}

const ArchiveClass* ArchiveReader::ReadNewClass(size_t tag_offset) {
  uint16_t schema = ReadWord();
  uint16_t length = ReadWord();
  if (!ok()) return nullptr;
  if (length > kMaxClassNameLength) {
    FailAt(tag_offset, ArchiveError::kBadClass, "class name of " + std::to_string(length) + " bytes");
    return nullptr;
  }
  if (length > remaining()) {
    FailShort(length);
    return nullptr;
  }
  std::string_view name(reinterpret_cast<const char*>(pos_), length);
  pos_ += length;
  const ArchiveClass* cls = registry_.FindByName(name);
  if (!cls) {
    FailAt(tag_offset, ArchiveError::kBadClass, "unknown class \"" + Printable(name) + "\"");
    return nullptr;
  }
  if (cls->schema != schema) {
    FailAt(tag_offset, ArchiveError::kBadSchema,
           "class " + cls->name + " stored with schema " + std::to_string(schema) + ", expected " +
               std::to_string(cls->schema));
    return nullptr;
  }
  if (table_.size() > kMaxMapCount) {
    FailAt(tag_offset, ArchiveError::kBadIndex, "more classes and objects than an archive can number");
    return nullptr;
  }
  Number(reinterpret_cast<Slot>(cls) | 1);
  return cls;
}

void ArchiveReader::SetReleaseHook(std::function<void(size_t offset)> release, size_t stride) {
  release_ = std::move(release);
  release_stride_ = std::max<size_t>(stride, 1);
  release_at_ = std::numeric_limits<size_t>::max();
  if (release_) ScheduleRelease();
}

void ArchiveReader::ScheduleRelease() {
  const size_t last = std::numeric_limits<size_t>::max();
  release_at_ = position() > last - release_stride_ ? last : position() + release_stride_;
}

void ArchiveReader::ReleaseConsumed() {
  if (!ok() || !release_) {
    release_at_ = std::numeric_limits<size_t>::max();
    return;
  }
  release_(position());
  ScheduleRelease();
}

bool ArchiveReader::ReadTag(size_t tag_offset, const ArchiveClass** cls, uint32_t* number) {
  MaybeRelease();  // every byte before a tag has been read for good
  *cls = nullptr;
  *number = 0;
  const uint16_t tag = ReadWord();
  if (!ok()) return false;
  if (tag == kNewClassTag) {
    *cls = ReadNewClass(tag_offset);
    return *cls != nullptr;
  }
  uint32_t n;
  bool is_class;
  if (tag == kBigObjectTag) {
    n = ReadDword();
    if (!ok()) return false;
    is_class = (n & kBigClassTag) != 0;
    n &= ~kBigClassTag;
  } else {
    is_class = (tag & kClassTag) != 0;
    n = tag & ~kClassTag;
  }
  if (!is_class) {
    *number = n;
    return true;
  }
  const Slot slot = SlotOf(n);
  if (!IsClassSlot(slot)) {
    FailAt(tag_offset, ArchiveError::kBadIndex, "no class has number " + std::to_string(n));
    return false;
  }
  *cls = SlotClass(slot);
  return true;
}

bool ArchiveReader::MayNumberNew(size_t tag_offset) {
  if (depth_ >= kMaxNesting) {
    FailAt(tag_offset, ArchiveError::kGeneric, "objects nested more than " + std::to_string(kMaxNesting) + " deep");
    return false;
  }
  if (table_.size() > kMaxMapCount) {
    FailAt(tag_offset, ArchiveError::kBadIndex, "more classes and objects than an archive can number");
    return false;
  }
  return true;
}

ArchiveObject* ArchiveReader::ReadObjectCore(const std::type_info& wanted, KindTest is_kind, bool owned,
                                             std::unique_ptr<ArchiveObject>* created) {
  const size_t tag_offset = position();
  const ArchiveClass* cls;
  uint32_t number;
  if (!ReadTag(tag_offset, &cls, &number)) return nullptr;

  if (!cls) {
    if (number == 0) return nullptr;
    const Slot slot = SlotOf(number);
    if (number >= table_.size() || IsClassSlot(slot)) {
      FailAt(tag_offset, ArchiveError::kBadIndex, "no object has number " + std::to_string(number));
      return nullptr;
    }
    ArchiveObject* object = SlotObject(slot);
    if (!object) {
      FailAt(tag_offset, ArchiveError::kBadIndex,
             "object " + std::to_string(number) + " is stored by value and cannot be referred to");
      return nullptr;
    }
    if (owned) {
      // Its owner is whoever read it first; a second owner would free it twice.
      FailAt(tag_offset, ArchiveError::kBadIndex,
             "object " + std::to_string(number) + " appears again where a new object must be");
      return nullptr;
    }
    if (typeid(*object) != wanted && !is_kind(object)) {
      const ArchiveClass* found = registry_.FindByType(typeid(*object));
      FailAt(tag_offset, ArchiveError::kBadClass,
             "object " + std::to_string(number) + " of class " + (found ? found->name : std::string("?")) +
                 " is not of the expected class");
      return nullptr;
    }
    return object;
  }

  // A new object of class cls.
  if (!MayNumberNew(tag_offset)) return nullptr;
  if (cls->by_value) {
    FailAt(tag_offset, ArchiveError::kBadClass, "an object of class " + cls->name + " where another class belongs");
    return nullptr;
  }
  std::unique_ptr<ArchiveObject> object = cls->create();
  if (!object) {
    FailAt(tag_offset, ArchiveError::kGeneric, "class " + cls->name + " could not create an object");
    return nullptr;
  }
  ArchiveObject* raw = object.get();
  // Numbered before its fields are read, as the writer numbered it before writing them.
  Number(reinterpret_cast<Slot>(raw));
  if (*cls->type != wanted && !is_kind(raw)) {
    kept_.push_back(std::move(object));
    FailAt(tag_offset, ArchiveError::kBadClass, "an object of class " + cls->name + " where another class belongs");
    return nullptr;
  }
  ++depth_;
  cls->load(*raw, *this);
  --depth_;
  if (!ok()) {
    kept_.push_back(std::move(object));
    return nullptr;
  }
  *created = std::move(object);
  return raw;
}

bool ArchiveReader::ReadValueTag(const std::type_info& type) {
  const size_t tag_offset = position();
  const ArchiveClass* cls;
  uint32_t number;
  if (!ReadTag(tag_offset, &cls, &number)) return false;
  if (!cls) {
    if (number == 0) return false;
    if (number >= table_.size() || IsClassSlot(SlotOf(number))) {
      FailAt(tag_offset, ArchiveError::kBadIndex, "no object has number " + std::to_string(number));
    } else {
      FailAt(tag_offset, ArchiveError::kBadIndex,
             "object " + std::to_string(number) + " appears again where a new object must be");
    }
    return false;
  }
  if (!MayNumberNew(tag_offset)) return false;
  if (*cls->type != type || !cls->by_value) {
    FailAt(tag_offset, ArchiveError::kBadClass, "an object of class " + cls->name + " where another class belongs");
    return false;
  }
  Number(0);  // numbered like any object, but never found again
  return true;
}

}  // namespace quorvex::model
