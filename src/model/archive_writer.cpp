#include "model/archive_writer.h"

#include <cstring>
#include <limits>
#include <typeinfo>

namespace quorvex::model {

ArchiveWriter::ArchiveWriter(const ArchiveRegistry& registry, ArchiveGeneration generation)
    : registry_(registry), generation_(generation) {}

void ArchiveWriter::Fail(ArchiveError code, std::string message) {
  if (!status_.ok() || code == ArchiveError::kNone) return;
  status_.code = code;
  status_.message = std::move(message);
  status_.offset = out_.size();
}

void ArchiveWriter::WriteByte(uint8_t value) {
  if (!ok()) return;
  out_.push_back(static_cast<char>(value));
}

void ArchiveWriter::WriteWord(uint16_t value) {
  if (!ok()) return;
  const char b[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
  out_.append(b, 2);
}

void ArchiveWriter::WriteDword(uint32_t value) {
  if (!ok()) return;
  const char b[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                     static_cast<char>((value >> 16) & 0xFF), static_cast<char>(value >> 24)};
  out_.append(b, 4);
}

void ArchiveWriter::WriteInt32(int32_t value) {
  WriteDword(static_cast<uint32_t>(value));
}

void ArchiveWriter::WriteDouble(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  WriteDword(static_cast<uint32_t>(bits));
  WriteDword(static_cast<uint32_t>(bits >> 32));
}

void ArchiveWriter::WriteTime(int64_t seconds) {
  if (seconds < 0) seconds = 0;
  if (seconds > std::numeric_limits<uint32_t>::max()) seconds = std::numeric_limits<uint32_t>::max();
  WriteDword(static_cast<uint32_t>(seconds));
}

void ArchiveWriter::WriteString(std::string_view text) {
  const size_t n = text.size();
  if (n < kStringByteEscape) {
    WriteByte(static_cast<uint8_t>(n));
  } else if (n < kStringUtf16Marker) {
    WriteByte(kStringByteEscape);
    WriteWord(static_cast<uint16_t>(n));
  } else if (n <= std::numeric_limits<uint32_t>::max()) {
    WriteByte(kStringByteEscape);
    WriteWord(kStringWordEscape);
    WriteDword(static_cast<uint32_t>(n));
  } else {
    Fail(ArchiveError::kGeneric, "string of " + std::to_string(n) + " bytes is too long to store");
  }
  if (ok()) out_.append(text);
}

void ArchiveWriter::WriteCount(size_t count) {
  if (count < kCountEscape) {
    WriteWord(static_cast<uint16_t>(count));
  } else if (count <= std::numeric_limits<uint32_t>::max()) {
    WriteWord(kCountEscape);
    WriteDword(static_cast<uint32_t>(count));
  } else {
    Fail(ArchiveError::kGeneric, "array of " + std::to_string(count) + " elements is too long to store");
  }
}

void ArchiveWriter::WritePageAddress(std::string_view address) {
  // Readers drop a leading 0xEA or 0xED byte (a marker of old files), so an address that itself
  // starts with one of them (Cyrillic in Windows-1251, some UTF-8 lead bytes) is given one extra
  // marker byte to lose on the way back.
  if (!address.empty() && (static_cast<uint8_t>(address[0]) == 0xEA || static_cast<uint8_t>(address[0]) == 0xED)) {
    std::string marked;
    marked.reserve(address.size() + 1);
    marked.push_back(static_cast<char>(0xEA));
    marked.append(address);
    WriteString(marked);
    return;
  }
  WriteString(address);
}

bool ArchiveWriter::TakeNumber(uint32_t* number) {
  if (next_number_ > kMaxMapCount) {
    Fail(ArchiveError::kBadIndex, "more classes and objects than an archive can number");
    return false;
  }
  *number = next_number_++;
  return true;
}

void ArchiveWriter::WriteNumberTag(uint32_t number, uint32_t big_flag) {
  if (number < kFirstBigNumber) {
    WriteWord(static_cast<uint16_t>(number | (big_flag ? kClassTag : 0)));
  } else {
    WriteWord(kBigObjectTag);
    WriteDword(number | big_flag);
  }
}

bool ArchiveWriter::WriteNewObjectTag(const ArchiveClass* cls) {
  if (!ok() || !cls) return false;
  uint32_t class_number = 0;
  for (const auto& [known, number] : classes_) {
    if (known == cls) {
      class_number = number;
      break;
    }
  }
  if (class_number != 0) {
    WriteNumberTag(class_number, kBigClassTag);
  } else {
    if (!TakeNumber(&class_number)) return false;
    classes_.emplace_back(cls, class_number);
    WriteWord(kNewClassTag);
    WriteWord(cls->schema);
    WriteWord(static_cast<uint16_t>(cls->name.size()));
    out_.append(cls->name);
  }
  uint32_t object_number = 0;
  return TakeNumber(&object_number);
}

const ArchiveClass* ArchiveWriter::FindValueClass(const std::type_info& type) {
  const ArchiveClass* cls = registry_.FindByType(type);
  if (!cls || !cls->by_value) {
    Fail(ArchiveError::kBadClass, std::string("no archive value class is registered for type ") + type.name());
    return nullptr;
  }
  return cls;
}

void ArchiveWriter::WriteObject(const ArchiveObject* object) {
  if (!ok()) return;
  if (!object) {
    WriteWord(kNullTag);
    return;
  }
  if (auto it = objects_.find(object); it != objects_.end()) {
    WriteNumberTag(it->second, 0);
    return;
  }
  const ArchiveClass* cls = registry_.FindByType(typeid(*object));
  if (!cls || cls->by_value) {
    Fail(ArchiveError::kBadClass, std::string("no archive class is registered for type ") + typeid(*object).name());
    return;
  }
  if (!WriteNewObjectTag(cls)) return;
  // Numbered before its fields, so a field that points back at the object becomes a reference.
  objects_.emplace(object, next_number_ - 1);
  cls->store(*object, *this);
}

}  // namespace quorvex::model
