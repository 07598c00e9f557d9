#include "mail/multipart_message.h"

#include <memory>

#include "mail/content_agent_registry.h"
#include "mail/mime_text.h"
#include "mail/octet_stream_agent.h"
#include "mail/text_plain_agent.h"

namespace quorvex::mail {

CMultipartMessage::CMultipartMessage() {
  auto& registry = CContentAgentRegistry::Instance();
  registry.Register(std::make_unique<CTextPlainAgent>(m_nCharsPerLine));
  registry.Register(std::make_unique<COctetStreamAgent>());
}

bool CMultipartMessage::AddPart(const std::string& content, int contentType, const std::string& parameters,
                                int encoding, bool isPath) {
  CMimePart part{encoding, contentType, parameters, isPath, TrimText(content)};
  if (contentType == ContentTextPlain) {
    m_lstParts.push_front(std::move(part));
  } else {
    m_lstParts.push_back(std::move(part));
  }
  return true;
}

void CMultipartMessage::AddHeaderFields() {
  CMailMessage::AddHeaderFields();
  AppendHeaderLine("MIME-Version: 1.0");
  AppendHeaderLine("Content-Type: " + m_strMultipartType + "; boundary=" + m_strBoundary);
}

void CMultipartMessage::AppendBoundary() {
  if (!EndsWithCrLf(m_strBody)) m_strBody += "\r\n";
  m_strBody += "--" + m_strBoundary + "\r\n";
}

void CMultipartMessage::FinishBody() {
  if (!m_strBody.empty()) AddPart(m_strBody, ContentTextPlain, std::string(), 0, false);
  m_strBody = m_strPreamble + "\r\n\r\n";
  AppendParts();
  if (!EndsWithCrLf(m_strBody)) m_strBody += "\r\n";
  m_strBody += "--" + m_strBoundary + "--\r\n";
  CMailMessage::FinishBody();
}

void CMultipartMessage::AppendParts() {
  auto& registry = CContentAgentRegistry::Instance();
  for (const CMimePart& part : m_lstParts) {
    const CContentAgent* agent = registry.FindAgent(part.m_nContentType);
    if (!agent) continue;
    AppendBoundary();
    agent->AppendPart(part.m_strContent, part.m_strParameters, part.m_nEncoding, part.m_bPath, m_strBody);
  }
}

}  // namespace quorvex::mail
