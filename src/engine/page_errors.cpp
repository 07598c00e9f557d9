#include "engine/page_errors.h"

#include <unistd.h>

#include <unordered_map>

#include "platform/paths.h"

namespace quorvex::engine {
namespace {

// Reasons are a line each; a file larger than this is not ours.
constexpr size_t kMaxErrorsFileBytes = size_t{4} << 20;

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c != '\r') {
      out += c;
    }
  }
  return out;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    out += next == 't' ? '\t' : next == 'n' ? '\n' : next;
  }
  return out;
}

}  // namespace

std::string PageErrorsPath(const std::string& catalogPath) {
  return catalogPath + ".errors";
}

void StorePageErrors(const std::string& catalogPath, const std::vector<std::unique_ptr<model::WDValPage>>& pages) {
  std::string text;
  for (const auto& page : pages) {
    if (!page->GetErrorText().empty()) text += Escape(page->GetURL()) + "\t" + Escape(page->GetErrorText()) + "\n";
  }
  const std::string path = PageErrorsPath(catalogPath);
  if (text.empty()) {
    ::unlink(path.c_str());
  } else {
    platform::WriteFileAtomically(path, text);
  }
}

void LoadPageErrors(const std::string& catalogPath, const std::vector<std::unique_ptr<model::WDValPage>>& pages) {
  std::string text;
  if (platform::ReadWholeFile(PageErrorsPath(catalogPath), text, nullptr, kMaxErrorsFileBytes) !=
      platform::ReadResult::Ok) {
    return;
  }
  std::unordered_map<std::string, std::string> reasons;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    const size_t tab = line.find('\t');
    if (tab != std::string::npos) reasons[Unescape(line.substr(0, tab))] = Unescape(line.substr(tab + 1));
    start = end + 1;
  }
  for (const auto& page : pages) {
    auto it = reasons.find(page->GetURL());
    if (it != reasons.end()) page->SetErrorText(it->second);
  }
}

}  // namespace quorvex::engine
