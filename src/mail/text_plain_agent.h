#pragma once
// Writes a text/plain part: a fixed "7Bit" sub-header and the text wrapped by WrapText.
#include "mail/content_agent.h"

namespace quorvex::mail {

class CTextPlainAgent : public CContentAgent {
 public:
  explicit CTextPlainAgent(int nWrapLength = 76);

  // Always true. The encoding code is ignored: the text goes out as it is, labelled "7Bit".
  bool AppendPart(const std::string& content, const std::string& parameters, int encoding, bool isPath,
                  std::string& dest) const override;
  std::string GetContentType() const override { return "text/plain"; }
  std::string BuildPartHeader(const std::string& content, const std::string& parameters, int encoding,
                              bool isPath) const override;

  // Breaks lines longer than the wrap length at the last blank seen so far. The counting has
  // quirks that received mail depends on: a line after CR LF breaks two characters earlier than the
  // first line, the last blank is never forgotten (so a break may fall on an earlier line), and a
  // text without blanks gets CR LF put in front of it.
  std::string WrapText(const std::string& text) const;

 private:
  int m_nWrapLength;
};

}  // namespace quorvex::mail
