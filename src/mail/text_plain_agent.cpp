#include "mail/text_plain_agent.h"

#include "mail/mime_text.h"

namespace quorvex::mail {

CTextPlainAgent::CTextPlainAgent(int nWrapLength) : CContentAgent(ContentTextPlain), m_nWrapLength(nWrapLength) {}

std::string CTextPlainAgent::BuildPartHeader(const std::string&, const std::string& parameters, int, bool) const {
  return "Content-Type: " + GetContentType() + parameters + "\r\n" + "Content-Transfer-Encoding: " + "7Bit" +
         "\r\n\r\n";
}

bool CTextPlainAgent::AppendPart(const std::string& content, const std::string& parameters, int encoding, bool isPath,
                                 std::string& dest) const {
  dest += BuildPartHeader(content, parameters, encoding, isPath);
  dest += WrapText(content);
  return true;
}

std::string CTextPlainAgent::WrapText(const std::string& text) const {
  std::string t = text;
  long long count = 0;
  size_t space = 0;
  // The position runs on over the text as it changes: it is deliberately not corrected for what a
  // break removes or adds, which is where the counting quirks come from.
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == ' ') space = i;
    if (t.compare(i, 2, "\r\n") == 0) count = 0;
    if (count > m_nWrapLength) {
      // The blanks before and after the break position give way to one CR LF.
      size_t left = space;
      while (left > 0 && IsMimeSpace(t[left - 1])) --left;
      size_t right = space;
      while (right < t.size() && IsMimeSpace(t[right])) ++right;
      t.replace(left, right - left, "\r\n");
      count = 0;
    } else {
      ++count;
    }
  }
  return t;
}

}  // namespace quorvex::mail
