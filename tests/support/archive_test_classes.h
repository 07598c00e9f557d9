#pragma once
// Small stored classes for exercising the archive object stream without the catalog model: a leaf
// with plain fields, a node that owns children and links to objects it does not own, an empty
// marker, and a series holding samples of a value class by value. Shared by the tests, the fuzz
// target and the benchmark.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/archive_reader.h"
#include "model/archive_registry.h"
#include "model/archive_writer.h"

namespace quorvex::testing {

using model::ArchiveObject;
using model::ArchiveReader;
using model::ArchiveWriter;

class TestLeaf : public ArchiveObject {
 public:
  uint32_t number = 0;
  std::string text;
  int64_t time = 0;

  void Store(ArchiveWriter& out) const {
    out.WriteDword(number);
    out.WriteString(text);
    out.WriteTime(time);
    if (out.IsCurrentGeneration()) out.WriteDword(0);  // reserved
  }
  void Load(ArchiveReader& in) {
    number = in.ReadDword();
    text = in.ReadString();
    time = in.ReadTime();
    if (in.IsCurrentGeneration()) in.ReadDword();
  }
};

class TestNode : public ArchiveObject {
 public:
  std::string name;
  std::vector<std::unique_ptr<ArchiveObject>> children;  // owned, written in full here
  std::vector<ArchiveObject*> links;                     // not owned; may be null or point anywhere
  std::vector<std::unique_ptr<ArchiveObject>> adopted;   // links that were new objects when read

  void Store(ArchiveWriter& out) const {
    out.WriteString(name);
    out.WriteObjectArray(children);
    out.WriteObjectArray(links);
  }
  void Load(ArchiveReader& in) {
    name = in.ReadString();
    in.ReadOwnedArray(children);
    uint32_t count = in.ReadCount();
    for (uint32_t i = 0; i < count && in.ok(); ++i) {
      std::unique_ptr<ArchiveObject> created;
      ArchiveObject* link = in.ReadObject(created);
      if (created) adopted.push_back(std::move(created));
      links.push_back(link);
    }
  }
};

class TestMark : public ArchiveObject {
 public:
  void Store(ArchiveWriter&) const {}
  void Load(ArchiveReader&) {}
};

// A value class: tagged and numbered in the stream, held by value in a TestSeries.
struct TestSample {
  int64_t time = 0;
  std::string text;

  // The fewest bytes a stored sample takes: tag, TIME, empty STRING.
  static constexpr size_t kMinStoredBytes = 2 + 4 + 1;

  void Store(ArchiveWriter& out) const {
    out.WriteTime(time);
    out.WriteString(text);
  }
  static TestSample Read(ArchiveReader& in) {
    TestSample sample;
    sample.time = in.ReadTime();
    sample.text = in.ReadString();
    return sample;
  }
};

class TestSeries : public ArchiveObject {
 public:
  std::vector<TestSample> samples;

  void Store(ArchiveWriter& out) const { out.WriteValueArray(samples); }
  void Load(ArchiveReader& in) { in.ReadValueArray(samples, TestSample::kMinStoredBytes); }
};

inline void RegisterTestClasses(model::ArchiveRegistry& registry) {
  registry.Register<TestNode>("TestNode");
  registry.Register<TestLeaf>("TestLeaf");
  registry.Register<TestMark>("TestMark");
  registry.Register<TestSeries>("TestSeries");
  registry.RegisterValue<TestSample>("TestSample");
}

// A file laid out like a catalog: a header word and reserved fields (current generation only),
// an array of owned roots and a closing string.
struct TestDocument {
  uint32_t header = 1;
  std::vector<std::unique_ptr<ArchiveObject>> roots;
  std::string trailer;

  void Store(ArchiveWriter& out) const {
    if (out.IsCurrentGeneration()) {
      out.WriteDword(header);
      out.WriteDword(0);
      out.WriteDword(0);
      out.WriteString("");
    }
    out.WriteObjectArray(roots);
    out.WriteString(trailer);
  }
  bool Load(ArchiveReader& in) {
    if (in.IsCurrentGeneration()) {
      header = in.ReadDword();
      in.ReadDword();
      in.ReadDword();
      in.ReadString();
    }
    in.ReadOwnedArray(roots);
    trailer = in.ReadString();
    return in.ok();
  }
};

}  // namespace quorvex::testing
