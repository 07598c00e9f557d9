#pragma once
// Reads a catalog archive from bytes already in memory (read the whole file once, then parse), as
// doc/archive-format.md describes; the owner of the bytes may give back the memory of what was
// read already (SetReleaseHook). Layouts (the model classes' Load functions) call the primitive
// readers in field order and ReadOwnedObject / ReadObject for object pointers; the reader creates
// objects by their stored class name through the registry. Lists of a value class (samples) are
// read with ReadValueArray straight into a vector of values.
//
// Failure: the first failure is kept in status(); from then on every read does nothing and returns
// a zero value (0, "", nullptr), so a layout may read on and the caller checks once. Counts and
// lengths are checked against the bytes left before anything is allocated, and objects may nest
// at most kMaxNesting deep, so hostile input cannot exhaust memory or the stack.
//
// Ownership. Every object the reader creates has exactly one owner at any time:
//  - ReadOwnedObject / ReadOwnedArray hand a new object to the caller (a std::unique_ptr).
//  - ReadObject hands a newly created object to the caller through `created`; for a reference to
//    an object read earlier it returns a plain pointer and hands nothing over.
//  - While an object's Load runs, and after its Load or class check failed, the reader owns it;
//    such objects are destroyed with the reader.
// Keep every object you were handed until the whole load is over, even one you mean to reject
// (a later reference may point at it); reject it with Fail() instead of destroying it. After a
// failure the caller owns whatever it was handed (possibly half-loaded: discard it), and the
// reader frees the rest. Objects may hold plain pointers to objects owned by others, in
// any direction (even to an ancestor still loading), so destructors of stored classes must never
// dereference pointers they do not own; then any destruction order is safe.
//
// Lifetime: bytes and registry must outlive the reader. Thread: one thread at a time.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "model/archive_format.h"
#include "model/archive_registry.h"

namespace quorvex::model {

class ArchiveReader {
 public:
  // Deepest nesting of objects inside objects' fields.
  static constexpr int kMaxNesting = 256;

  ArchiveReader(std::string_view bytes, const ArchiveRegistry& registry, ArchiveGeneration generation);
  // The reader keeps only a view of the bytes: a temporary string would be gone at once.
  ArchiveReader(std::string&& bytes, const ArchiveRegistry& registry, ArchiveGeneration generation) = delete;
  ~ArchiveReader();
  ArchiveReader(const ArchiveReader&) = delete;
  ArchiveReader& operator=(const ArchiveReader&) = delete;

  // The generation of a catalog file from its first bytes: older when the bytes at offsets 2 and 3
  // are both 0xFF (a page count followed by a new-class tag), current otherwise.
  static ArchiveGeneration DetectGeneration(std::string_view file_start);

  bool ok() const { return status_.ok(); }
  const ArchiveStatus& status() const { return status_; }
  // Records a failure found by a layout, e.g. a value that breaks a rule of its class (first one
  // wins; later reads do nothing).
  void Fail(ArchiveError code, std::string message);

  ArchiveGeneration generation() const { return generation_; }
  bool IsCurrentGeneration() const { return generation_ == ArchiveGeneration::kCurrent; }

  size_t position() const { return static_cast<size_t>(pos_ - begin_); }
  size_t remaining() const { return static_cast<size_t>(end_ - pos_); }
  bool AtEnd() const { return pos_ == end_; }

  uint8_t ReadByte() {
    if (end_ - pos_ < 1) return FailShort(1), 0;
    return *pos_++;
  }
  uint16_t ReadWord() {
    if (end_ - pos_ < 2) return FailShort(2), 0;
    uint16_t v = static_cast<uint16_t>(pos_[0] | (pos_[1] << 8));
    pos_ += 2;
    return v;
  }
  uint32_t ReadDword() {
    if (end_ - pos_ < 4) return FailShort(4), 0;
    uint32_t v = static_cast<uint32_t>(pos_[0]) | (static_cast<uint32_t>(pos_[1]) << 8) |
                 (static_cast<uint32_t>(pos_[2]) << 16) | (static_cast<uint32_t>(pos_[3]) << 24);
    pos_ += 4;
    return v;
  }
  int32_t ReadInt32() { return static_cast<int32_t>(ReadDword()); }
  double ReadDouble();
  // A TIME, as seconds since 1970 UTC (0 .. 2^32 - 1).
  int64_t ReadTime() { return ReadDword(); }
  // A STRING. Byte strings come back as stored. A UTF-16 string is converted to UTF-8 (the
  // encoding of new text in our catalogs); unpaired surrogates become U+FFFD.
  std::string ReadString();
  // A COUNT for an array whose elements take at least min_element_bytes each (an OBJECT takes 2;
  // 0 counts as 1): a count that cannot fit in the bytes left is an end-of-file failure and gives
  // 0, so a loop over the count is bounded by the input and reserving count elements is safe.
  uint32_t ReadCount(size_t min_element_bytes = 2);
  // A page address STRING; a leading 0xEA or 0xED byte is dropped (see WritePageAddress).
  std::string ReadPageAddress();

  // An OBJECT the caller will own: null or a new object of class T (or derived). A reference to an
  // object read earlier is a bad-index failure (it already has an owner); another class is a
  // bad-class failure. nullptr for null and on failure.
  template <class T>
  std::unique_ptr<T> ReadOwnedObject() {
    static_assert(std::is_base_of_v<ArchiveObject, T>, "stored classes derive from ArchiveObject");
    std::unique_ptr<ArchiveObject> created;
    ReadObjectCore(typeid(T), &IsKindOf<T>, /*owned=*/true, &created);
    return std::unique_ptr<T>(static_cast<T*>(created.release()));
  }

  // An OBJECT the caller refers to: null, a reference to an object read earlier, or a new object,
  // which is then handed over through `created` (the caller must keep it for as long as it uses
  // the returned pointer). Not T (or derived) is a bad-class failure. nullptr for null and on
  // failure; `created` is left empty unless a new object was read.
  template <class T>
  T* ReadObject(std::unique_ptr<T>& created) {
    static_assert(std::is_base_of_v<ArchiveObject, T>, "stored classes derive from ArchiveObject");
    std::unique_ptr<ArchiveObject> fresh;
    ArchiveObject* object = ReadObjectCore(typeid(T), &IsKindOf<T>, /*owned=*/false, &fresh);
    if (fresh) created.reset(static_cast<T*>(fresh.release()));
    return static_cast<T*>(object);
  }

  // An OBJARRAY of owned objects, appended to out. Null elements are left out. Returns ok().
  template <class T>
  bool ReadOwnedArray(std::vector<std::unique_ptr<T>>& out) {
    uint32_t count = ReadCount();
    out.reserve(out.size() + count);  // bounded by the bytes left: see ReadCount
    for (uint32_t i = 0; i < count && ok(); ++i) {
      if (auto object = ReadOwnedObject<T>()) out.push_back(std::move(object));
    }
    return ok();
  }

  // An OBJARRAY whose elements are new objects of the value class T (ArchiveRegistry::
  // RegisterValue), appended to out by value through T::Read. Every tag form is accepted and every
  // element takes its number as usual, but the reader keeps no pointer to it: a later reference to
  // such a number is a bad-index failure (nothing in a catalog refers to a sample). Null elements
  // are left out; a reference as an element is a bad-index failure, another class a bad-class one.
  // min_element_bytes, the fewest bytes a non-null element takes (tag included), only limits what
  // is reserved ahead. Returns ok(); an element whose fields failed is not appended.
  template <class T>
  bool ReadValueArray(std::vector<T>& out, size_t min_element_bytes) {
    const uint32_t count = ReadCount();
    if (count == 0) return ok();
    out.reserve(out.size() + std::min<size_t>(count, remaining() / std::max<size_t>(min_element_bytes, 1)));
    for (uint32_t i = 0; i < count && ok(); ++i) {
      if (!ReadValueTag(typeid(T))) continue;  // null, or failed
      ++depth_;
      T value = T::Read(*this);
      --depth_;
      if (ok()) out.push_back(std::move(value));
    }
    return ok();
  }

  // Lets the owner of the bytes give their memory back while the reader moves on: release(offset)
  // is called at the start of an OBJECT whenever the reader has moved at least stride bytes since
  // the last call (stride 0 counts as 1), with an offset the reader never reads before again. The
  // bytes from offset on must stay as they are. Not called after a failure.
  void SetReleaseHook(std::function<void(size_t offset)> release, size_t stride);

  // Objects and classes numbered so far.
  uint32_t numbered() const { return static_cast<uint32_t>(table_.size() - 1); }

 private:
  using KindTest = bool (*)(const ArchiveObject*);
  template <class T>
  static bool IsKindOf(const ArchiveObject* object) {
    return dynamic_cast<const T*>(object) != nullptr;
  }

  // What a number stands for: an object's address, or a class's address with its lowest bit set.
  // Both are aligned, so that bit is free; 0 for null and for values.
  using Slot = uintptr_t;
  static bool IsClassSlot(Slot slot) { return (slot & 1) != 0; }
  static const ArchiveClass* SlotClass(Slot slot) { return reinterpret_cast<const ArchiveClass*>(slot & ~Slot{1}); }
  static ArchiveObject* SlotObject(Slot slot) { return reinterpret_cast<ArchiveObject*>(slot); }
  // The slot of number, 0 when nothing may refer to it (null, a value, or not numbered yet).
  Slot SlotOf(uint32_t number) const { return number < table_.size() ? slots_[table_[number]] : 0; }
  // Gives the next number to slot (0 for a value).
  void Number(Slot slot);

  void FailShort(size_t needed);
  void FailAt(size_t offset, ArchiveError code, std::string message);
  // An OBJECT's tag: true with *cls set for a new object of class *cls (not yet numbered), true
  // with *cls null for a reference to *number (0 = null); false on failure.
  bool ReadTag(size_t tag_offset, const ArchiveClass** cls, uint32_t* number);
  // Checks that a new object may take the next number, nested one level deeper.
  bool MayNumberNew(size_t tag_offset);
  ArchiveObject* ReadObjectCore(const std::type_info& wanted, KindTest is_kind, bool owned,
                                std::unique_ptr<ArchiveObject>* created);
  // Calls the release hook when the reader has moved far enough since the last call.
  void MaybeRelease() {
    if (position() >= release_at_) ReleaseConsumed();
  }
  void ReleaseConsumed();
  void ScheduleRelease();
  // The tag of a value-array element: true when a new object of the value class `type` follows
  // (it has been numbered); false for null and on failure.
  bool ReadValueTag(const std::type_info& type);
  const ArchiveClass* ReadNewClass(size_t tag_offset);
  std::string ReadUtf16(uint64_t units);
  uint64_t ReadLengthPrefix(bool* utf16);

  const uint8_t* begin_;
  const uint8_t* pos_;
  const uint8_t* end_;
  const ArchiveRegistry& registry_;
  ArchiveGeneration generation_;
  ArchiveStatus status_;
  // A catalog numbers every sample, so the table is as long as the history: four bytes per number,
  // the index of its slot in slots_, which holds only what can be referred to (slots_[0] is 0).
  std::vector<uint32_t> table_;
  std::vector<Slot> slots_;
  std::vector<std::unique_ptr<ArchiveObject>> kept_;  // objects whose load or class check failed
  int depth_ = 0;
  std::function<void(size_t)> release_;
  size_t release_stride_ = 0;
  size_t release_at_ = std::numeric_limits<size_t>::max();  // position of the next call; max without a hook
};

}  // namespace quorvex::model
