#include "mail/octet_stream_agent.h"

#include <sys/stat.h>

#include "mail/base64_encoder.h"

namespace quorvex::mail {
namespace {

// Name and extension of a path, together: everything after the last folder separator.
std::string FileNameOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

constexpr size_t kBlockBytes = 54;

}  // namespace

COctetStreamAgent::COctetStreamAgent() : CContentAgent(ContentOctetStream) {}

std::string COctetStreamAgent::BuildPartHeader(const std::string& content, const std::string&, int, bool isPath) const {
  std::string name = FileNameOf(content);
  std::string file = isPath ? "; file=" + name : std::string();
  return "Content-Type: " + GetContentType() + file + "\r\n" + "Content-Transfer-Encoding: base64\r\n" +
         "Content-Disposition: attachment; filename=\"" + name + "\"\r\n" + "\r\n";
}

bool COctetStreamAgent::AppendPart(const std::string& content, const std::string& parameters, int encoding, bool,
                                   std::string& dest) const {
  if (content.empty()) return false;
  std::FILE* file = std::fopen(content.c_str(), "rb");
  if (!file) return false;
  // A folder opens for reading here but has no bytes to send: treat it as a file that cannot be opened.
  struct stat st {};
  if (::fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) {
    std::fclose(file);
    return false;
  }
  dest += BuildPartHeader(content, parameters, encoding, true);
  AppendFile(file, 4, dest);
  std::fclose(file);
  return true;
}

void COctetStreamAgent::AppendFile(std::FILE* file, int, std::string& dest) const {
  CBase64Encoder encoder;
  unsigned char block[kBlockBytes];
  for (;;) {
    size_t n = std::fread(block, 1, kBlockBytes, file);
    if (n < kBlockBytes && std::ferror(file)) break;
    dest += encoder.Encode(block, n);
    dest += "\r\n";
    if (n < kBlockBytes) break;
  }
  dest += "\r\n";
}

}  // namespace quorvex::mail
