#pragma once
// Writes an application/octet-stream part: the content names a file, whose bytes go out base64
// encoded in lines of 72 characters (54 input bytes each).
#include <cstdio>

#include "mail/content_agent.h"

namespace quorvex::mail {

class COctetStreamAgent : public CContentAgent {
 public:
  COctetStreamAgent();

  // False, with nothing appended, when the path is empty or the file cannot be opened.
  bool AppendPart(const std::string& content, const std::string& parameters, int encoding, bool isPath,
                  std::string& dest) const override;
  std::string GetContentType() const override { return "application/octet-stream"; }
  std::string BuildPartHeader(const std::string& content, const std::string& parameters, int encoding,
                              bool isPath) const override;

 protected:
  // Appends the file from its current position: one base64 line per 54-byte block, ending after the
  // first short block, then one more CR LF. A read error ends the lines early.
  virtual void AppendFile(std::FILE* file, int encoding, std::string& dest) const;
};

}  // namespace quorvex::mail
