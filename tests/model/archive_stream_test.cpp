#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "model/archive_reader.h"
#include "model/archive_writer.h"
#include "support/archive_test_classes.h"

namespace quorvex::model {
namespace {

using testing::TestDocument;
using testing::TestLeaf;
using testing::TestMark;
using testing::TestNode;
using testing::TestSample;
using testing::TestSeries;

std::string Bytes(std::initializer_list<int> bytes) {
  std::string out;
  for (int b : bytes) out.push_back(static_cast<char>(b));
  return out;
}

std::string Word(uint16_t v) {
  return Bytes({v & 0xFF, v >> 8});
}
std::string Dword(uint32_t v) {
  return Word(v & 0xFFFF) + Word(v >> 16);
}
std::string ShortString(const std::string& s) {
  return Bytes({static_cast<int>(s.size())}) + s;
}
std::string NewClass(const std::string& name) {
  return Word(0xFFFF) + Word(1) + Word(name.size()) + name;
}
// A TestLeaf's fields in the current generation.
std::string LeafFields(uint32_t number, const std::string& text, uint32_t time) {
  return Dword(number) + ShortString(text) + Dword(time) + Dword(0);
}
// A sample's fields.
std::string SampleFields(uint32_t time, const std::string& text) {
  return Dword(time) + ShortString(text);
}

class ArchiveStream : public ::testing::Test {
 protected:
  ArchiveStream() { testing::RegisterTestClasses(registry_); }

  std::string Write(const TestDocument& doc, ArchiveGeneration gen = ArchiveGeneration::kCurrent) {
    ArchiveWriter out(registry_, gen);
    doc.Store(out);
    EXPECT_TRUE(out.ok()) << out.status().message;
    return out.TakeBytes();
  }
  // Reads a document; returns the reader's status.
  ArchiveStatus Read(const std::string& bytes, TestDocument& doc, ArchiveGeneration gen = ArchiveGeneration::kCurrent) {
    ArchiveReader in(bytes, registry_, gen);
    doc.Load(in);
    if (in.ok()) {
      EXPECT_TRUE(in.AtEnd());
    }
    return in.status();
  }
  // Writes doc and reads the bytes into back: writing what was read must give the same bytes. The
  // reader may give back what it has read, every 1000 bytes: the hook spoils those bytes, so a
  // reader that looked back would notice, and keeps the offsets in released_.
  std::string RoundTrip(const TestDocument& doc, TestDocument& back) {
    const std::string bytes = Write(doc);
    std::string spoiled = bytes;
    ArchiveReader in(spoiled, registry_, ArchiveGeneration::kCurrent);
    in.SetReleaseHook(
        [&](size_t offset) {
          spoiled.replace(0, offset, offset, '\xEE');
          released_.push_back(offset);
        },
        1000);
    EXPECT_TRUE(back.Load(in)) << in.status().message;
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(Write(back), bytes);
    return bytes;
  }
  // Reads one OBJECT of class T the caller owns.
  template <class T = ArchiveObject>
  ArchiveStatus ReadOne(const std::string& bytes, std::unique_ptr<T>* out = nullptr) {
    ArchiveReader in(bytes, registry_, ArchiveGeneration::kCurrent);
    auto object = in.ReadOwnedObject<T>();
    if (out) *out = std::move(object);
    return in.status();
  }

  ArchiveRegistry registry_;
  std::vector<size_t> released_;
};

std::unique_ptr<TestLeaf> Leaf(uint32_t number, std::string text, int64_t time = 0) {
  auto leaf = std::make_unique<TestLeaf>();
  leaf->number = number;
  leaf->text = std::move(text);
  leaf->time = time;
  return leaf;
}

TEST_F(ArchiveStream, PrimitivesAndCountsAreLittleEndianAndReadBack) {
  ArchiveWriter out(registry_);
  out.WriteByte(0xAB);
  out.WriteWord(0x1234);
  out.WriteDword(0x89ABCDEF);
  out.WriteInt32(-2);
  out.WriteDouble(1.5);
  out.WriteTime(0x01020304);
  EXPECT_EQ(out.bytes(), Bytes({0xAB, 0x34, 0x12, 0xEF, 0xCD, 0xAB, 0x89, 0xFE, 0xFF, 0xFF, 0xFF, 0,
                                0,    0,    0,    0,    0,    0xF8, 0x3F, 4,    3,    2,    1}));
  // Times outside the stored range are clamped, not wrapped.
  out.WriteTime(-5);
  out.WriteTime(int64_t{1} << 33);
  out.WriteTime(0xFFFFFFFFll);
  // Counts escape from 0xFFFF on.
  const size_t counts_at = out.bytes().size();
  out.WriteCount(0xFFFE);
  out.WriteCount(0xFFFF);
  out.WriteCount(0x12345);
  EXPECT_EQ(out.bytes().substr(counts_at),
            Bytes({0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0x45, 0x23, 1, 0}));

  // Each count is followed by at least as many bytes as it announces.
  const std::string bytes = out.bytes() + std::string(0x12345, '\0');
  ArchiveReader in(bytes, registry_, ArchiveGeneration::kCurrent);
  EXPECT_EQ(in.ReadByte(), 0xAB);
  EXPECT_EQ(in.ReadWord(), 0x1234);
  EXPECT_EQ(in.ReadDword(), 0x89ABCDEFu);
  EXPECT_EQ(in.ReadInt32(), -2);
  EXPECT_EQ(in.ReadDouble(), 1.5);
  EXPECT_EQ(in.ReadTime(), 0x01020304);
  EXPECT_EQ(in.ReadTime(), 0);
  EXPECT_EQ(in.ReadTime(), 0xFFFFFFFFll);
  EXPECT_EQ(in.ReadTime(), 0xFFFFFFFFll);  // after 2038: read unsigned
  EXPECT_EQ(in.ReadCount(0), 0xFFFEu);
  EXPECT_EQ(in.ReadCount(0), 0xFFFFu);
  EXPECT_EQ(in.ReadCount(0), 0x12345u);
  EXPECT_TRUE(in.ok());
}

TEST_F(ArchiveStream, StringPrefixesTakeTheShortestFormAndUtf16IsReadAsUtf8) {
  struct Case {
    size_t length;
    std::string prefix;
  } cases[] = {
      {0, Bytes({0})},
      {1, Bytes({1})},
      {254, Bytes({0xFE})},
      {255, Bytes({0xFF, 0xFF, 0x00})},
      {256, Bytes({0xFF, 0x00, 0x01})},
      {0xFFFD, Bytes({0xFF, 0xFD, 0xFF})},
      // 0xFFFE would read as the UTF-16 marker and 0xFFFF as the DWORD escape.
      {0xFFFE, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
      {0xFFFF, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00})},
      {70000, Bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00})},
  };
  for (const auto& c : cases) {
    std::string text(c.length, 'x');
    if (!text.empty()) text[0] = '\xEA';  // bytes are stored as they are
    ArchiveWriter out(registry_);
    out.WriteString(text);
    ASSERT_EQ(out.bytes().size(), c.prefix.size() + c.length) << c.length;
    EXPECT_EQ(out.bytes().substr(0, c.prefix.size()), c.prefix) << c.length;
    ArchiveReader in(out.bytes(), registry_, ArchiveGeneration::kCurrent);
    EXPECT_EQ(in.ReadString(), text) << c.length;
    EXPECT_TRUE(in.ok() && in.AtEnd()) << c.length;
  }

  // FF FE FF marks UTF-16; then a second prefix counting 16-bit units.
  std::string bytes = Bytes({0xFF, 0xFE, 0xFF, 5, 'A', 0, 0x16, 0x04, 0x3D, 0xD8, 0x00, 0xDE, 0x00, 0xD8}) +
                      Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0x00, 0x01}) + std::string(512, '\0') +
                      Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 'z', 0}) + Bytes({0xFF, 0xFE, 0xFF, 0});
  // 'A', Cyrillic Zhe, an emoji as a surrogate pair, and a lone high surrogate at the end.
  ArchiveReader in(bytes, registry_, ArchiveGeneration::kCurrent);
  EXPECT_EQ(in.ReadString(), "A\xD0\x96\xF0\x9F\x98\x80\xEF\xBF\xBD");
  EXPECT_EQ(in.ReadString(), std::string(256, '\0'));  // word-sized second prefix
  EXPECT_EQ(in.ReadString(), "z");                     // dword-sized second prefix
  EXPECT_EQ(in.ReadString(), "");
  EXPECT_TRUE(in.ok() && in.AtEnd()) << in.status().message;
}

TEST_F(ArchiveStream, PageAddressesDropTheOldMarkerAndKeepTheirOwnLeadingBytes) {
  // An old file's address with a leading 0xEA loads without it.
  const std::string stored = Bytes({4, 0xEA, 'a', '.', 'b', 3, 0xED, 'x', 'y', 0});
  ArchiveReader old(stored, registry_, ArchiveGeneration::kCurrent);
  EXPECT_EQ(old.ReadPageAddress(), "a.b");
  EXPECT_EQ(old.ReadPageAddress(), "xy");
  EXPECT_EQ(old.ReadPageAddress(), "");

  // An address that starts with such a byte (Cyrillic in Windows-1251, Hangul in UTF-8) survives.
  const std::string addresses[] = {"http://example.org/", "\xEA\xE8\xE5\xE2.ua", "\xED\x95\x9C.kr", ""};
  ArchiveWriter out(registry_);
  for (const auto& a : addresses) out.WritePageAddress(a);
  EXPECT_EQ(out.bytes().substr(20, 6), Bytes({8, 0xEA, 0xEA, 0xE8, 0xE5, 0xE2}));
  ArchiveReader in(out.bytes(), registry_, ArchiveGeneration::kCurrent);
  for (const auto& a : addresses) EXPECT_EQ(in.ReadPageAddress(), a);
  EXPECT_TRUE(in.ok() && in.AtEnd());
}

// A document with every kind of item: nested objects, references back to an ancestor that is still
// loading and to an object first met as a link, a long string, samples, the header.
TestDocument RichDocument() {
  TestDocument doc;
  auto inner = std::make_unique<TestNode>();
  inner->name = "inner";
  inner->children.push_back(Leaf(1, std::string(300, 'q'), 1234));
  inner->children.push_back(std::make_unique<TestMark>());
  auto outer = std::make_unique<TestNode>();
  outer->name = "outer";
  inner->links = {outer.get()};
  outer->adopted.push_back(std::make_unique<TestMark>());  // never stored as a child: a stray
  outer->links = {inner->children[0].get(), nullptr, outer->adopted[0].get(), outer->adopted[0].get()};
  outer->children.push_back(std::move(inner));
  outer->children.push_back(Leaf(2, "two", 5));
  auto series = std::make_unique<TestSeries>();
  series->samples = {{7, "seven"}, {8, ""}};
  outer->children.push_back(std::move(series));
  doc.roots.push_back(std::move(outer));
  doc.roots.push_back(Leaf(3, "three", 6));
  doc.trailer = "trailer";
  return doc;
}

TEST_F(ArchiveStream, ObjectsClassesAndSamplesShareOneNumbering) {
  // outer (class 1, object 2) { children: inner (object 3) { leaf (class 4, object 5), mark (class 6,
  //   object 7); links: outer }, leaf (object 8), series (class 9, object 10) { sample (class 11,
  //   object 12), sample (object 13) }; links: the first leaf, null, stray (object 14), stray },
  // leaf (object 15). The stray mark is first met as a link: it is written in full there, and the
  // reading node adopts it. Its number shows that the samples were numbered like objects.
  // Writing what was read gives the same bytes: every reference came back as the same object.
  TestDocument back;
  const std::string bytes = RoundTrip(RichDocument(), back);
  EXPECT_EQ(bytes, Dword(1) + Dword(0) + Dword(0) + Bytes({0}) + Word(2) + NewClass("TestNode") + ShortString("outer") +
                       Word(3) + Word(0x8001) + ShortString("inner") + Word(2) + NewClass("TestLeaf") + Dword(1) +
                       Bytes({0xFF, 0x2C, 0x01}) + std::string(300, 'q') + Dword(1234) + Dword(0) +
                       NewClass("TestMark") + Word(1) + Word(2) + Word(0x8004) + LeafFields(2, "two", 5) +
                       NewClass("TestSeries") + Word(2) + NewClass("TestSample") + SampleFields(7, "seven") +
                       Word(0x800B) + SampleFields(8, "") + Word(4) + Word(5) + Word(0) + Word(0x8006) + Word(14) +
                       Word(0x8004) + LeafFields(3, "three", 6) + ShortString("trailer"));
  // The stray mark is owned once, by the node that met it first.
  auto* root = static_cast<TestNode*>(back.roots[0].get());
  ASSERT_EQ(root->adopted.size(), 1u);
  EXPECT_EQ(root->links[3], root->adopted[0].get());
}

TEST_F(ArchiveStream, NumbersFrom7FFFOnUseTheEscape) {
  // node: class 1, object 2; leaves: class 3, objects 4 .. 0x8000; marks: class 0x8001, objects
  // 0x8002 and 0x8003. Then a series: class 0x8004, object 0x8005; samples: class 0x8006, objects
  // 0x8007 and 0x8008; a leaf: object 0x8009; a second node that refers to the leaf.
  constexpr uint32_t kLeaves = 0x8000 - 3;
  TestDocument doc;
  auto node = std::make_unique<TestNode>();
  for (uint32_t i = 0; i < kLeaves; ++i) node->children.push_back(Leaf(i, ""));
  node->children.push_back(std::make_unique<TestMark>());
  node->children.push_back(std::make_unique<TestMark>());
  TestNode* raw = node.get();
  node->links = {raw->children[0x7FFE - 4].get(), raw->children[0x7FFF - 4].get(), raw->children.back().get()};
  doc.roots.push_back(std::move(node));
  auto series = std::make_unique<TestSeries>();
  series->samples = {{1, "one"}, {2, "two"}};
  doc.roots.push_back(std::move(series));
  doc.roots.push_back(Leaf(5, "leaf"));
  auto second = std::make_unique<TestNode>();
  second->links = {doc.roots[2].get()};
  doc.roots.push_back(std::move(second));
  TestDocument back;
  const std::string bytes = RoundTrip(doc, back);
  // The reader gave back the bytes it had read, at least a stride apart.
  ASSERT_GT(released_.size(), 5u);
  for (size_t i = 1; i < released_.size(); ++i) EXPECT_GE(released_[i], released_[i - 1] + 1000);

  const size_t leaf_size = LeafFields(0, "", 0).size();
  size_t pos = 13 + 2 + NewClass("TestNode").size() + 1 + 2;
  EXPECT_EQ(bytes.substr(pos, 10), NewClass("TestLeaf").substr(0, 10));
  pos += NewClass("TestLeaf").size() + leaf_size;
  // Every further leaf: the WORD 0x8003 (class number 3 stays small).
  EXPECT_EQ(bytes.substr(pos, 2), Word(0x8003));
  pos += (kLeaves - 1) * (2 + leaf_size);
  EXPECT_EQ(bytes.substr(pos, NewClass("TestMark").size()), NewClass("TestMark"));
  pos += NewClass("TestMark").size();
  EXPECT_EQ(bytes.substr(pos, 6), Word(0x7FFF) + Dword(0x80008001));  // second mark: class 0x8001
  pos += 6;
  // The links, the series with its samples (a class tag by escape), the leaf with its small class
  // tag, and the second node's link by escape.
  EXPECT_EQ(bytes.substr(pos), Word(3) + Word(0x7FFE) + Word(0x7FFF) + Dword(0x7FFF) + Word(0x7FFF) + Dword(0x8003) +
                                   NewClass("TestSeries") + Word(2) + NewClass("TestSample") + SampleFields(1, "one") +
                                   Word(0x7FFF) + Dword(0x80008006) + SampleFields(2, "two") + Word(0x8003) +
                                   LeafFields(5, "leaf", 0) + Word(0x8001) + ShortString("") + Word(0) + Word(1) +
                                   Word(0x7FFF) + Dword(0x8009) + ShortString(""));
}

TEST_F(ArchiveStream, ValueArraysReadEveryTagFormAndReferToNothing) {
  // A node whose only child is a series holding `elements`, then links.
  auto node = [](const std::string& elements, int element_count, const std::string& links, int link_count) {
    return NewClass("TestNode") + ShortString("") + Word(1) + NewClass("TestSeries") + Word(element_count) + elements +
           Word(link_count) + links;
  };
  const std::string first = NewClass("TestSample") + SampleFields(1, "s");  // class 5, object 6

  // The class named by WORD, by escape, and null elements (left out); then a link to a leaf
  // numbered after them.
  std::unique_ptr<TestNode> good;
  const std::string elements = first + Word(0) + Word(0x8005) + SampleFields(2, "t") + Word(0x7FFF) +
                               Dword(0x80000005) + SampleFields(3, "u") + Word(0x7FFF) + Dword(0);
  ASSERT_TRUE(ReadOne(node(elements, 5, NewClass("TestLeaf") + LeafFields(4, "", 0) + Word(10), 2), &good).ok());
  auto* series = static_cast<TestSeries*>(good->children[0].get());
  ASSERT_EQ(series->samples.size(), 3u);
  EXPECT_EQ(series->samples[2].text, "u");
  EXPECT_EQ(good->links[1], good->links[0]);  // object 10: the leaf after samples 6, 7 and 8

  struct Case {
    const char* what;
    std::string bytes;
    ArchiveError code;
  } cases[] = {
      {"link to a sample", node(first, 1, Word(6), 1), ArchiveError::kBadIndex},
      {"link to a sample by escape", node(first, 1, Word(0x7FFF) + Dword(6), 1), ArchiveError::kBadIndex},
      {"reference as an element", node(first + Word(6), 2, "", 0), ArchiveError::kBadIndex},
      {"reference to an object as an element", node(Word(4), 1, "", 0), ArchiveError::kBadIndex},
      {"reference past the table as an element", node(Word(40), 1, "", 0), ArchiveError::kBadIndex},
      {"class tag naming a sample", node(first + Word(0x8006), 2, "", 0), ArchiveError::kBadIndex},
      {"another class as an element", node(NewClass("TestLeaf") + LeafFields(0, "", 0), 1, "", 0),
       ArchiveError::kBadClass},
      {"a known object class as an element", node(Word(0x8003) + Word(0), 1, "", 0), ArchiveError::kBadClass},
      {"a sample where an object belongs", node("", 0, first, 1), ArchiveError::kBadClass},
      {"more elements than bytes", node(first, 0xFFFE, "", 0), ArchiveError::kEndOfFile},
      {"a sample cut short", node(first.substr(0, first.size() - 1), 1, "", 0), ArchiveError::kEndOfFile},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadOne<TestNode>(c.bytes).code, c.code) << c.what << ": " << ReadOne<TestNode>(c.bytes).message;
  }
}

TEST_F(ArchiveStream, TheOlderGenerationHasNoHeaderAndIsDetected) {
  TestDocument doc;
  doc.roots.push_back(Leaf(5, "t", 9));
  const std::string current = Write(doc);
  const std::string older = Write(doc, ArchiveGeneration::kOlder);
  EXPECT_EQ(current.substr(0, 13), Bytes({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(older, Word(1) + NewClass("TestLeaf") + Dword(5) + ShortString("t") + Dword(9) + Bytes({0}));
  EXPECT_EQ(ArchiveReader::DetectGeneration(current), ArchiveGeneration::kCurrent);
  EXPECT_EQ(ArchiveReader::DetectGeneration(older), ArchiveGeneration::kOlder);
  EXPECT_EQ(ArchiveReader::DetectGeneration(Bytes({0, 0, 0xFF})), ArchiveGeneration::kCurrent);

  TestDocument back;
  ASSERT_TRUE(Read(older, back, ArchiveGeneration::kOlder).ok());
  EXPECT_EQ(static_cast<TestLeaf*>(back.roots[0].get())->time, 9);
  EXPECT_EQ(Write(back), current);
}

TEST_F(ArchiveStream, TruncationAtEveryByteIsAnEndOfFileWithoutLeaks) {
  const std::string bytes = Write(RichDocument());
  for (size_t n = 0; n < bytes.size(); ++n) {
    TestDocument doc;
    ArchiveStatus status = Read(bytes.substr(0, n), doc);
    EXPECT_EQ(status.code, ArchiveError::kEndOfFile) << "cut at " << n << ": " << status.message;
    EXPECT_LE(status.offset, n);
  }
  // The file ends inside the second root: the first root with all below it is the caller's, the
  // half-read second one is freed by the reader (the sanitizer build checks both). After the
  // failure nothing more is offered for release.
  const std::string cut = bytes.substr(0, bytes.size() - 20);
  ArchiveReader in(cut, registry_, ArchiveGeneration::kCurrent);
  in.SetReleaseHook([&](size_t offset) { released_.push_back(offset); }, 1);
  TestDocument doc;
  EXPECT_FALSE(doc.Load(in));
  EXPECT_EQ(in.status().code, ArchiveError::kEndOfFile);
  ASSERT_EQ(doc.roots.size(), 1u);
  EXPECT_EQ(static_cast<TestNode*>(doc.roots[0].get())->children.size(), 3u);
  ASSERT_FALSE(released_.empty());
  EXPECT_LT(released_.back(), cut.size());
}

TEST_F(ArchiveStream, MalformedObjectsAreRefusedWithTheirReason) {
  const std::string leaf = NewClass("TestLeaf") + LeafFields(0, "", 0);  // class 1, object 2
  // Inside a node's links, so the reference forms are allowed where they appear.
  auto in_links = [](const std::string& link) {
    return NewClass("TestNode") + ShortString("") + Word(0) + Word(2) + link + Word(0) + Word(0);
  };
  // depth nodes, each the only child of the one before.
  auto nested = [](int depth) {
    std::string bytes = NewClass("TestNode");
    for (int i = 1; i < depth; ++i) bytes += ShortString("") + Word(1) + Word(0x8001);
    bytes += ShortString("") + Word(0) + Word(0);
    for (int i = 1; i < depth; ++i) bytes += Word(0);
    return bytes;
  };
  const std::string unknown = Word(0xFFFF) + Word(1) + Word(7) + "WDOther" + Dword(0);
  const std::string huge = NewClass("TestNode") + ShortString("") + Word(0xFFFF) + Dword(0xFFFFFFFF) + Word(0);
  struct Case {
    const char* what;
    std::string bytes;
    ArchiveError code;
  } cases[] = {
      {"unknown class", unknown, ArchiveError::kBadClass},
      {"names are matched exactly", NewClass("testleaf") + LeafFields(0, "", 0), ArchiveError::kBadClass},
      {"a name of 64 bytes, refused before it is read", Word(0xFFFF) + Word(1) + Word(64), ArchiveError::kBadClass},
      {"other schema", Word(0xFFFF) + Word(2) + Word(8) + "TestLeaf" + LeafFields(0, "", 0), ArchiveError::kBadSchema},
      {"reference before anything", in_links(Word(1)), ArchiveError::kBadIndex},
      {"reference past the table", in_links(leaf + Word(9)), ArchiveError::kBadIndex},
      {"reference to a class", in_links(leaf + Word(1)), ArchiveError::kBadIndex},
      {"big reference past the table", in_links(leaf + Word(0x7FFF) + Dword(3)), ArchiveError::kBadIndex},
      {"class number zero", in_links(Word(0x8000)), ArchiveError::kBadIndex},
      {"class tag naming an object", in_links(leaf + Word(0x8002)), ArchiveError::kBadIndex},
      {"big class tag past the table", in_links(leaf + Word(0x7FFF) + Dword(0x80000005)), ArchiveError::kBadIndex},
      {"big class tag naming an object", in_links(leaf + Word(0x7FFF) + Dword(0x80000002)), ArchiveError::kBadIndex},
      {"a node claiming 4 G children", huge, ArchiveError::kEndOfFile},
      {"nesting one level too deep", nested(ArchiveReader::kMaxNesting + 1), ArchiveError::kGeneric},
      {"nesting far too deep", nested(100000), ArchiveError::kGeneric},
      // Hostile lengths fail before anything is allocated for them.
      {"string of 4 GiB", NewClass("TestNode") + Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}) + "abc",
       ArchiveError::kEndOfFile},
      {"string of 64 KiB", NewClass("TestNode") + Bytes({0xFF, 0xFD, 0xFF}) + "abc", ArchiveError::kEndOfFile},
      {"UTF-16 string of 4 G units",
       NewClass("TestNode") + Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}) + "ab",
       ArchiveError::kEndOfFile},
      {"UTF-16 string one byte short", NewClass("TestNode") + Bytes({0xFF, 0xFE, 0xFF, 2, 'a', 0, 'b'}),
       ArchiveError::kEndOfFile},
  };
  for (const auto& c : cases) {
    const ArchiveStatus status = ReadOne(c.bytes);
    EXPECT_EQ(status.code, c.code) << c.what << ": " << status.message;
  }
  EXPECT_NE(ReadOne(unknown).message.find("WDOther"), std::string::npos);
  EXPECT_EQ(ReadOne(huge).offset, 15u);  // refused at the count, before any element is looked at

  // The right class, the escape form naming null like the WORD 0, nesting up to the limit, a count
  // exactly as large as the bytes left allow.
  EXPECT_TRUE(ReadOne(leaf).ok());
  EXPECT_TRUE(ReadOne(NewClass("TestNode") + ShortString("") + Word(0) + Word(2) + Word(0) + Word(0)).ok());
  EXPECT_TRUE(ReadOne(Word(0x7FFF) + Dword(0)).ok());
  std::unique_ptr<ArchiveObject> top;
  EXPECT_TRUE(ReadOne(nested(ArchiveReader::kMaxNesting), &top).ok());
  EXPECT_NE(top, nullptr);
}

TEST_F(ArchiveStream, ObjectsMustBeOfTheClassTheirPlaceWantsAndFailuresStick) {
  const std::string node = NewClass("TestNode") + ShortString("") + Word(0) + Word(0);
  const std::string node_twice = node + Word(2);
  EXPECT_EQ(ReadOne<TestLeaf>(node).code, ArchiveError::kBadClass);
  {
    // A known object referred to where another class belongs.
    ArchiveReader in(node_twice, registry_, ArchiveGeneration::kCurrent);
    auto owned = in.ReadOwnedObject<TestNode>();
    ASSERT_NE(owned, nullptr);
    std::unique_ptr<TestLeaf> created;
    EXPECT_EQ(in.ReadObject(created), nullptr);
    EXPECT_EQ(in.status().code, ArchiveError::kBadClass);
  }
  {
    // The base class accepts every derived class; the same reference read as ArchiveObject works.
    ArchiveReader in(node_twice, registry_, ArchiveGeneration::kCurrent);
    auto owned = in.ReadOwnedObject<ArchiveObject>();
    std::unique_ptr<ArchiveObject> created;
    EXPECT_EQ(in.ReadObject(created), owned.get());
    EXPECT_EQ(created, nullptr);
    EXPECT_TRUE(in.ok());
  }
  {
    // A reference where the reader must own a new object: it has an owner already.
    const std::string twice = Word(2) + NewClass("TestLeaf") + LeafFields(0, "", 0) + Word(2);
    ArchiveReader in(twice, registry_, ArchiveGeneration::kCurrent);
    std::vector<std::unique_ptr<TestLeaf>> leaves;
    EXPECT_FALSE(in.ReadOwnedArray(leaves));
    EXPECT_EQ(in.status().code, ArchiveError::kBadIndex);
    EXPECT_EQ(leaves.size(), 1u);
  }
  // Writing an object whose class nobody registered.
  class Unregistered : public ArchiveObject {};
  Unregistered stray;
  ArchiveWriter out(registry_);
  out.WriteObject(&stray);
  EXPECT_EQ(out.status().code, ArchiveError::kBadClass);
  out.WriteDword(1);
  EXPECT_TRUE(out.bytes().empty());

  // After a failure reads do nothing and give zeros; the first failure stays.
  std::string bytes = Word(0x8000) + Dword(0xFFFFFFFF) + ShortString("text") + NewClass("TestLeaf");
  ArchiveReader in(bytes, registry_, ArchiveGeneration::kCurrent);
  EXPECT_EQ(in.ReadOwnedObject<ArchiveObject>(), nullptr);
  ArchiveStatus first = in.status();
  EXPECT_EQ(first.code, ArchiveError::kBadIndex);
  EXPECT_EQ(first.offset, 0u);
  EXPECT_EQ(in.ReadDword(), 0u);
  EXPECT_EQ(in.ReadString(), "");
  EXPECT_EQ(in.ReadCount(), 0u);
  EXPECT_EQ(in.ReadDouble(), 0.0);
  EXPECT_EQ(in.ReadOwnedObject<ArchiveObject>(), nullptr);
  in.Fail(ArchiveError::kBadSchema, "later");
  EXPECT_EQ(in.status().code, first.code);
  EXPECT_EQ(in.status().message, first.message);
}

TEST(ArchiveRegistryTest, RefusesDuplicatesAndNamesTheFormatCannotHold) {
  ArchiveRegistry registry;
  EXPECT_TRUE(registry.Register<TestLeaf>("TestLeaf"));
  EXPECT_FALSE(registry.Register<TestLeaf>("OtherName"));  // same type twice
  EXPECT_FALSE(registry.Register<TestNode>("TestLeaf"));   // same name twice
  EXPECT_FALSE(registry.Register<TestNode>(""));
  EXPECT_FALSE(registry.Register<TestNode>(std::string(64, 'N')));
  EXPECT_TRUE(registry.Register<TestNode>(std::string(63, 'N'), 3));
  EXPECT_EQ(registry.size(), 2u);
  EXPECT_EQ(registry.FindByName("TestLeaf"), registry.FindByType(typeid(TestLeaf)));
  EXPECT_EQ(registry.FindByName("testleaf"), nullptr);
  EXPECT_EQ(registry.FindByType(typeid(TestMark)), nullptr);

  // The schema given at registration is the one written and the one required.
  TestNode node;
  ArchiveWriter out(registry);
  out.WriteObject(&node);
  EXPECT_EQ(out.bytes().substr(0, 6), Word(0xFFFF) + Word(3) + Word(63));
  ArchiveReader in(out.bytes(), registry, ArchiveGeneration::kCurrent);
  EXPECT_NE(in.ReadOwnedObject<TestNode>(), nullptr);
  EXPECT_TRUE(in.ok() && in.AtEnd());

  // Value classes share the names and types; the writer refuses what is not registered as one.
  EXPECT_FALSE(registry.RegisterValue<TestSample>("TestLeaf"));
  EXPECT_FALSE(registry.RegisterValue<TestLeaf>("TestSample"));
  ArchiveWriter unregistered(registry);
  unregistered.WriteValueArray(std::vector<TestSample>(1));
  EXPECT_EQ(unregistered.status().code, ArchiveError::kBadClass);
  EXPECT_TRUE(registry.RegisterValue<TestSample>("TestSample"));
  ArchiveWriter empty(registry);
  empty.WriteValueArray(std::vector<TestSample>());
  EXPECT_EQ(empty.bytes(), Word(0));
  ArchiveWriter not_a_value(registry);
  not_a_value.WriteValueArray(std::vector<TestNode>(1));
  EXPECT_EQ(not_a_value.status().code, ArchiveError::kBadClass);
}

}  // namespace
}  // namespace quorvex::model
