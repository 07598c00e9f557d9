#include "text/page_text.h"

#include <algorithm>

namespace quorvex::text {

std::string PreparePageText(std::string raw, size_t limit) {
  raw.erase(std::remove(raw.begin(), raw.end(), '\r'), raw.end());
  size_t keep = limit == 0 ? 0 : limit - 1;
  if (raw.size() > keep) raw.resize(keep);
  return raw;
}

}  // namespace quorvex::text
