#pragma once
// Writes a catalog archive into memory, byte for byte as doc/archive-format.md describes. Layouts
// (the model classes' Store functions) call the primitive writers in field order and WriteObject /
// WriteObjectArray for object pointers; the writer numbers classes and objects itself, so an
// object written twice becomes a reference the second time. Saving is the caller's: hand bytes()
// to platform::WriteFileAtomically.
//
// Failure: the only failures are an object whose class is not registered, more objects than the
// format can number, and a string or count too long for its prefix. The first one is kept in
// status(); from then on every write does nothing and bytes() must not be saved.
// Lifetime: the registry and every object written must outlive the writer (objects are remembered
// by address). Thread: one writer is used by one thread at a time.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <typeinfo>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/archive_format.h"
#include "model/archive_registry.h"

namespace quorvex::model {

class ArchiveWriter {
 public:
  explicit ArchiveWriter(const ArchiveRegistry& registry, ArchiveGeneration generation = ArchiveGeneration::kCurrent);
  ArchiveWriter(const ArchiveWriter&) = delete;
  ArchiveWriter& operator=(const ArchiveWriter&) = delete;

  bool ok() const { return status_.ok(); }
  const ArchiveStatus& status() const { return status_; }
  // Records a failure found by a layout (first one wins).
  void Fail(ArchiveError code, std::string message);

  ArchiveGeneration generation() const { return generation_; }
  bool IsCurrentGeneration() const { return generation_ == ArchiveGeneration::kCurrent; }

  void WriteByte(uint8_t value);
  void WriteWord(uint16_t value);
  void WriteDword(uint32_t value);
  void WriteInt32(int32_t value);  // a signed DWORD
  void WriteDouble(double value);  // 8 bytes, IEEE 754
  // A TIME: seconds since 1970 UTC as an unsigned DWORD. Times outside 1970..2106 are clamped to
  // the nearest end rather than wrapped, so they never come back as a far-off date.
  void WriteTime(int64_t seconds);
  // A STRING of raw bytes with the shortest length prefix that fits.
  void WriteString(std::string_view text);
  // A COUNT (the element count of an object array).
  void WriteCount(size_t count);
  // A page address: the STRING that the reader's ReadPageAddress gives back unchanged.
  void WritePageAddress(std::string_view address);

  // An OBJECT: null, a reference to an object already written, or (the first time) the class tag
  // followed by the object's fields from its class's store function.
  void WriteObject(const ArchiveObject* object);
  // An OBJARRAY: COUNT, then each element as an OBJECT. Elements are raw or unique pointers.
  template <class Container>
  void WriteObjectArray(const Container& items) {
    WriteCount(items.size());
    for (const auto& item : items) WriteObject(AsObject(item));
  }

  // An OBJARRAY of objects of the value class T (ArchiveRegistry::RegisterValue), held by value:
  // COUNT, then each element tagged and numbered as WriteObject would write a new object, its
  // fields from T::Store. Nothing can refer to such an element, so the writer does not remember it.
  template <class T>
  void WriteValueArray(const std::vector<T>& items) {
    WriteCount(items.size());
    if (items.empty() || !ok()) return;
    const ArchiveClass* cls = FindValueClass(typeid(T));
    for (const T& item : items) {
      if (!WriteNewObjectTag(cls)) return;
      item.Store(*this);
    }
  }

  const std::string& bytes() const { return out_; }
  std::string TakeBytes() { return std::move(out_); }
  // Objects and classes numbered so far (the next number is this plus one).
  uint32_t numbered() const { return next_number_ - 1; }

 private:
  static const ArchiveObject* AsObject(const ArchiveObject* p) { return p; }
  template <class T>
  static const ArchiveObject* AsObject(const std::unique_ptr<T>& p) {
    return p.get();
  }

  void WriteNumberTag(uint32_t number, uint32_t big_flag);
  // The registered value class of type, or nullptr after a failure.
  const ArchiveClass* FindValueClass(const std::type_info& type);
  // The tag of a new object of class cls (introducing the class the first time), and the object's
  // number taken. False on failure.
  bool WriteNewObjectTag(const ArchiveClass* cls);
  bool TakeNumber(uint32_t* number);

  const ArchiveRegistry& registry_;
  ArchiveGeneration generation_;
  ArchiveStatus status_;
  std::string out_;
  uint32_t next_number_ = 1;
  std::unordered_map<const ArchiveObject*, uint32_t> objects_;
  std::vector<std::pair<const ArchiveClass*, uint32_t>> classes_;  // few; searched linearly
};

}  // namespace quorvex::model
