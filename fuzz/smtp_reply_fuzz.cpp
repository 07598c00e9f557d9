// Feeds arbitrary server bytes to the SMTP reply reader, as a stream cut into replies.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "mail/smtp_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // The first byte decides where the bytes are cut, as a server's pieces would be.
  size_t cut = size > 0 ? data[0] % (size + 1) : 0;
  for (bool atEnd : {false, true}) {
    std::string_view rest = bytes;
    while (!rest.empty()) {
      quorvex::mail::SmtpReply r = quorvex::mail::ScanSmtpReply(rest.substr(0, atEnd ? rest.size() : cut), atEnd);
      if (!r.complete) break;
      // Every complete reply takes at least one byte, or the reader would loop for ever.
      if (r.length == 0 || r.length > rest.size() || r.code < 0 || r.code > 999) std::abort();
      rest.remove_prefix(r.length);
    }
  }
  return 0;
}
