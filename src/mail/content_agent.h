#pragma once
// Base of the part writers of a multipart message: one agent per content type, found through the
// process-wide CContentAgentRegistry. Agents hold no state that writing changes, so one agent may
// write parts for any number of messages on any number of threads at once.
#include <string>

namespace quorvex::mail {

// Content type codes of a queued part.
constexpr int ContentTextPlain = 0;
constexpr int ContentOctetStream = 1;

class CContentAgent {
 public:
  explicit CContentAgent(int nContentType) : m_nContentType(nContentType) {}
  virtual ~CContentAgent() = default;
  CContentAgent(const CContentAgent&) = delete;
  CContentAgent& operator=(const CContentAgent&) = delete;

  // Appends the part's sub-header and encoded content to dest; false when the part cannot be written.
  virtual bool AppendPart(const std::string& content, const std::string& parameters, int encoding, bool isPath,
                          std::string& dest) const = 0;
  virtual std::string GetContentType() const = 0;
  virtual std::string BuildPartHeader(const std::string& content, const std::string& parameters, int encoding,
                                      bool isPath) const = 0;

  // True exactly when code is the content type this agent serves.
  bool QueryType(int code) const { return code == m_nContentType; }
  int GetContentCode() const { return m_nContentType; }

 protected:
  int m_nContentType;
};

}  // namespace quorvex::mail
