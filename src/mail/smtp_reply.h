#pragma once
// Finding one SMTP reply in the bytes received so far. A pure function over bytes, so that the reply
// reader can be tested and fuzzed without a socket.
//
// A reply is a run of lines. A line ends with LF (servers send CR LF; a bare LF is taken too, so a
// sloppy server is not waited on until the time-out). A line "NNN-text" announces that more lines
// follow; any other line is the last line of the reply. The reply is judged by the code of its last
// line.
#include <cstddef>
#include <string_view>

namespace quorvex::mail {

struct SmtpReply {
  bool complete = false;  // a whole reply is at the start of the bytes
  size_t length = 0;      // its bytes, line ends included
  int code = 0;           // the three digits that begin its last line; 0 when they are not digits
};

// Looks for the first reply at the start of bytes. atEnd says that no more bytes will come (the
// server closed): then whatever is there counts as the reply, even nothing at all (code 0).
SmtpReply ScanSmtpReply(std::string_view bytes, bool atEnd);

}  // namespace quorvex::mail
