#include "model/archive_format.h"

namespace quorvex::model {

const char* ArchiveErrorName(ArchiveError code) {
  switch (code) {
    case ArchiveError::kNone:
      return "no error";
    case ArchiveError::kGeneric:
      return "malformed archive";
    case ArchiveError::kEndOfFile:
      return "end of file";
    case ArchiveError::kBadIndex:
      return "bad object number";
    case ArchiveError::kBadClass:
      return "bad class";
    case ArchiveError::kBadSchema:
      return "bad schema";
  }
  return "unknown error";
}

}  // namespace quorvex::model
