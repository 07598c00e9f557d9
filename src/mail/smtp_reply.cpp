#include "mail/smtp_reply.h"

namespace quorvex::mail {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int CodeOf(std::string_view line) {
  if (line.size() < 3 || !IsDigit(line[0]) || !IsDigit(line[1]) || !IsDigit(line[2])) return 0;
  return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

bool IsContinuation(std::string_view line) {
  return line.size() >= 4 && CodeOf(line) != 0 && line[3] == '-';
}

}  // namespace

SmtpReply ScanSmtpReply(std::string_view bytes, bool atEnd) {
  SmtpReply reply;
  size_t start = 0;
  for (;;) {
    size_t lf = bytes.find('\n', start);
    if (lf == std::string_view::npos) {
      if (atEnd) {
        reply.complete = true;
        reply.length = bytes.size();
        // A last line cut short by the close still tells its code; a reply that announced more lines
        // and then broke off has none.
        reply.code = CodeOf(bytes.substr(start));
      }
      return reply;
    }
    std::string_view line = bytes.substr(start, lf - start);
    reply.code = CodeOf(line);
    start = lf + 1;
    if (!IsContinuation(line)) {
      reply.complete = true;
      reply.length = start;
      return reply;
    }
  }
}

}  // namespace quorvex::mail
