#pragma once
// The bytes of a whole file, read once into memory of their own that is given back to the system
// piece by piece as a reader moves through them from front to back. A catalog built from a large
// file then never needs the file's size in memory beside everything built from it.
//
// Failure: Read reports as ReadWholeFile does (Missing, or Failed with a reason naming the file).
// Lifetime: bytes() stays valid until the next Read or the object's end. Thread: one thread at a time.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/paths.h"

namespace quorvex::platform {

class ReadOnceFile {
 public:
  // Memory goes back in whole pieces of this size (whole huge pages where the system uses them).
  static constexpr size_t kReleaseGranule = size_t{2} << 20;

  ReadOnceFile() = default;
  ~ReadOnceFile();
  ReadOnceFile(const ReadOnceFile&) = delete;
  ReadOnceFile& operator=(const ReadOnceFile&) = delete;

  // Reads the whole regular file at path, dropping what was held before; results as ReadWholeFile
  // (max_bytes is one of the caps of platform/paths.h). A file that grows or shrinks while it is read
  // is taken as far as it could be read.
  ReadResult Read(const std::string& path, std::string* error, size_t max_bytes);

  // The file's bytes (empty before a successful Read).
  std::string_view bytes() const { return std::string_view(data_, size_); }

  // Gives the memory of the bytes before offset back to the system, as far as whole pieces of
  // kReleaseGranule reach. The caller promises never to look at those bytes again: afterwards they
  // read as zeros. Offsets past the end count as the end; an offset below an earlier one does nothing.
  void Release(size_t offset);
  // Bytes from the start whose memory was given back so far.
  size_t released() const { return released_; }

 private:
  void Unmap();
  bool Grow(size_t at_least);

  char* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;  // bytes mapped at data_, whole pages
  size_t released_ = 0;
};

}  // namespace quorvex::platform
