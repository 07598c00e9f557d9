#pragma once
// The classes that may appear in a catalog archive, looked up by name when reading and by dynamic
// type when writing. Nothing registers itself: whoever reads or writes a catalog builds a registry
// (the model offers one for the catalog classes; tests build their own) and hands it to the
// ArchiveReader / ArchiveWriter, which only borrow it.
//
// Thread: build a registry on one thread; once complete it is read-only and may be shared.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeindex>
#include <typeinfo>
#include <unordered_map>
#include <vector>

namespace quorvex::model {

class ArchiveReader;
class ArchiveWriter;

// Root of every class that is stored as a tagged, numbered object (not needed by parts that are
// only ever embedded in another object's layout, though it does them no harm, nor by value classes,
// see ArchiveRegistry::RegisterValue). It gives objects
// a dynamic type and a common pointer type for the stream's object table. Derive from it once,
// non-virtually: the writer identifies an object by its ArchiveObject address.
class ArchiveObject {
 public:
  virtual ~ArchiveObject() = default;

 protected:
  ArchiveObject() = default;
  ArchiveObject(const ArchiveObject&) = default;
  ArchiveObject& operator=(const ArchiveObject&) = default;
};

// One storable class. The functions are plain pointers so a registry entry can be built without
// templates; ArchiveRegistry::Register<T> fills them from T's members. A value class
// (RegisterValue) has no functions: its objects live by value in their owner's vector, and the
// reader and writer reach its fields through ReadValueArray / WriteValueArray, which know T.
struct ArchiveClass {
  std::string name;                                      // as stored in the file: 1 to 63 bytes, matched exactly
  uint16_t schema = 1;                                   // stored with the class; a file with another number is refused
  const std::type_info* type = nullptr;                  // the exact C++ type of its objects
  bool by_value = false;                                 // a value class: the three functions are null
  std::unique_ptr<ArchiveObject> (*create)() = nullptr;  // a default object, never null
  void (*store)(const ArchiveObject& object, ArchiveWriter& out) = nullptr;  // object's fields
  void (*load)(ArchiveObject& object, ArchiveReader& in) = nullptr;          // the same, back
};

class ArchiveRegistry {
 public:
  ArchiveRegistry() = default;
  ArchiveRegistry(const ArchiveRegistry&) = delete;
  ArchiveRegistry& operator=(const ArchiveRegistry&) = delete;

  // Registers T under name. T derives from ArchiveObject, is default-constructible and has
  //   void Store(ArchiveWriter& out) const;   // writes the fields, base part first
  //   void Load(ArchiveReader& in);           // reads them back; never throws
  // Returns false (and registers nothing) for an invalid name or a name or type already present.
  template <class T>
  bool Register(std::string_view name, uint16_t schema = 1) {
    static_assert(std::is_base_of_v<ArchiveObject, T>, "stored classes derive from ArchiveObject");
    ArchiveClass c;
    c.name = std::string(name);
    c.schema = schema;
    c.type = &typeid(T);
    c.create = []() -> std::unique_ptr<ArchiveObject> { return std::make_unique<T>(); };
    c.store = [](const ArchiveObject& object, ArchiveWriter& out) { static_cast<const T&>(object).Store(out); };
    c.load = [](ArchiveObject& object, ArchiveReader& in) { static_cast<T&>(object).Load(in); };
    return Add(std::move(c));
  }

  // Registers T under name as a value class: its objects are tagged and numbered in the stream like
  // any other, but held by value in a vector of their owner and never referred to (see
  // ArchiveReader::ReadValueArray). T is movable and has
  //   void Store(ArchiveWriter& out) const;   // writes the fields
  //   static T Read(ArchiveReader& in);       // reads them back; never throws
  // It need not derive from ArchiveObject. Returns false as Register does.
  template <class T>
  bool RegisterValue(std::string_view name, uint16_t schema = 1) {
    ArchiveClass c;
    c.name = std::string(name);
    c.schema = schema;
    c.type = &typeid(T);
    c.by_value = true;
    return Add(std::move(c));
  }

  // Registers a ready-made entry (the type must be set, and all three functions unless by_value).
  bool Add(ArchiveClass entry);

  // nullptr when nothing is registered under name / for exactly this dynamic type.
  const ArchiveClass* FindByName(std::string_view name) const;
  const ArchiveClass* FindByType(const std::type_info& type) const;

  size_t size() const { return classes_.size(); }

 private:
  std::vector<std::unique_ptr<ArchiveClass>> classes_;  // stable addresses for readers/writers
  std::unordered_map<std::string, const ArchiveClass*> by_name_;
  std::unordered_map<std::type_index, const ArchiveClass*> by_type_;
};

}  // namespace quorvex::model
