#pragma once
// A MIME multipart/mixed message: the body text becomes the first (text/plain) part, further parts
// (attachments) follow it, each written by the registered content agent of its type.
//
// Constructing a message makes sure the registry knows the text/plain and the octet-stream agents.
// Ownership, thread and failure as for CMailMessage; a part without an agent is skipped.
#include <deque>
#include <string>

#include "mail/mail_message.h"

namespace quorvex::mail {

struct CMimePart {
  int m_nEncoding = 0;          // 0 = 7bit
  int m_nContentType = 0;       // ContentTextPlain or ContentOctetStream
  std::string m_strParameters;  // appended to the part's Content-Type value
  bool m_bPath = false;         // the content names a file
  std::string m_strContent;     // the text itself, or a file path
};

class CMultipartMessage : public CMailMessage {
 public:
  CMultipartMessage();

  // Queues a part with its content trimmed of surrounding white space. A text/plain part goes to
  // the head of the queue, any other to the tail. Always true.
  bool AddPart(const std::string& content, int contentType, const std::string& parameters, int encoding, bool isPath);
  const std::deque<CMimePart>& GetParts() const { return m_lstParts; }

  std::string m_strPreamble = "This is a multi-part message in MIME format.";
  std::string m_strBoundary = "ZQ_MAIL_PaRt_BoUnDaRy_05151998";
  std::string m_strMultipartType = "multipart/mixed";

 protected:
  void AddHeaderFields() override;
  void FinishBody() override;
  virtual void AppendParts();

 private:
  void AppendBoundary();

  std::deque<CMimePart> m_lstParts;
};

}  // namespace quorvex::mail
