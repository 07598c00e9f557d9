// Reads arbitrary bytes as an archive of the test classes. A clean read must survive a round trip:
// what was read, written and read again writes the very same bytes; and a read that gives its bytes
// back as it goes must come to the same result.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "../tests/support/archive_test_classes.h"

using quorvex::model::ArchiveGeneration;
using quorvex::model::ArchiveReader;
using quorvex::model::ArchiveRegistry;
using quorvex::model::ArchiveWriter;
using quorvex::testing::TestDocument;

namespace {

const ArchiveRegistry& Registry() {
  static const ArchiveRegistry* registry = [] {
    auto* r = new ArchiveRegistry;
    quorvex::testing::RegisterTestClasses(*r);
    return r;
  }();
  return *registry;
}

std::string WriteBack(const TestDocument& doc, ArchiveGeneration generation) {
  ArchiveWriter out(Registry(), generation);
  doc.Store(out);
  if (!out.ok()) std::abort();
  return out.TakeBytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const ArchiveGeneration generation = ArchiveReader::DetectGeneration(bytes);

  // The same read again while every byte offered for release is spoiled: a reader that looked back
  // at such a byte would come to another result.
  std::string spoiled(bytes);
  TestDocument spoiled_doc;
  ArchiveReader spoiled_in(spoiled, Registry(), generation);
  spoiled_in.SetReleaseHook([&spoiled](size_t offset) { spoiled.replace(0, offset, offset, '\xA5'); }, 16);
  spoiled_doc.Load(spoiled_in);

  TestDocument doc;
  {
    ArchiveReader in(bytes, Registry(), generation);
    if (!doc.Load(in)) {
      if (in.status().message.empty()) std::abort();
      if (spoiled_in.ok() || spoiled_in.status().message != in.status().message) std::abort();
      return 0;
    }
  }
  const std::string first = WriteBack(doc, generation);
  if (!spoiled_in.ok() || WriteBack(spoiled_doc, generation) != first) std::abort();
  TestDocument again;
  ArchiveReader in(first, Registry(), generation);
  if (!again.Load(in) || !in.AtEnd()) std::abort();
  if (WriteBack(again, generation) != first) std::abort();
  return 0;
}
