#include "mail/mail_message.h"

#include <locale.h>

#include <ctime>

#include "mail/mime_text.h"
#include "platform/clock.h"

namespace quorvex::mail {
namespace {

// Mail dates are English whatever locale the program runs in (the GUI toolkit sets the user's).
locale_t CLocale() {
  static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return c;
}

std::string FormatTm(const std::tm& tm) {
  // 128 bytes: a text longer than 127 characters does not fit and the date stays empty.
  char buf[128];
  size_t n = strftime_l(buf, sizeof buf, "%a, %d %b %y %H:%M:%S %Z", &tm, CLocale());
  return std::string(buf, n);
}

}  // namespace

std::string FormatMailDate(int64_t seconds, int utcOffset, const std::string& zoneName) {
  std::time_t t = static_cast<std::time_t>(seconds + utcOffset);
  std::tm tm{};
  if (!gmtime_r(&t, &tm)) return std::string();
  tm.tm_isdst = 0;
  tm.tm_gmtoff = utcOffset;
  tm.tm_zone = zoneName.c_str();
  return FormatTm(tm);
}

std::string FormatMailDate(int64_t seconds) {
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return std::string();
  return FormatTm(tm);
}

CMailMessage::CMailMessage() = default;
CMailMessage::~CMailMessage() = default;

std::vector<CMailRecipient>* CMailMessage::List(int kind) {
  switch (kind) {
    case RecipientTo:
      return &m_lstTo;
    case RecipientCc:
      return &m_lstCc;
    case RecipientBcc:
      return &m_lstBcc;
    default:
      return nullptr;
  }
}

const std::vector<CMailRecipient>* CMailMessage::List(int kind) const {
  return const_cast<CMailMessage*>(this)->List(kind);
}

bool CMailMessage::AddRecipient(const std::string& address, const std::string& name, int kind) {
  if (auto* list = List(kind)) list->push_back({address, name});
  return true;
}

bool CMailMessage::AddRecipientList(const std::string& list, int kind) {
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    std::string entry = list.substr(start, end - start);
    start = end + 1;
    // Users write "a@x; b@y" and end lists with ';': neither may become a recipient of its own.
    if (TrimText(entry).empty()) continue;
    size_t open = entry.find('<');
    if (open == std::string::npos) {
      AddRecipient(TrimText(entry), std::string(), kind);
      continue;
    }
    size_t close = entry.find('>');
    if (close == std::string::npos || close < open) return false;
    // The name keeps its trailing blank: it separates the name from "<" in the To line.
    size_t nameStart = 0;
    while (nameStart < open && IsMimeSpace(entry[nameStart])) ++nameStart;
    AddRecipient(TrimText(std::string_view(entry).substr(open + 1, close - open - 1)),
                 entry.substr(nameStart, open - nameStart), kind);
  }
  return true;
}

bool CMailMessage::GetRecipient(std::string& address, std::string& name, int index, int kind) const {
  const auto* list = List(kind);
  if (!list || index < 0 || static_cast<size_t>(index) >= list->size()) return false;
  address = (*list)[index].m_strAddress;
  name = (*list)[index].m_strName;
  return true;
}

int CMailMessage::GetRecipientCount(int kind) const {
  const auto* list = List(kind);
  return list ? static_cast<int>(list->size()) : 0;
}

void CMailMessage::SetTimeZone(int utcOffset, const std::string& zoneName) {
  m_bFixedZone = true;
  m_nUtcOffset = utcOffset;
  m_strZoneName = zoneName;
}

void CMailMessage::Compose() {
  BeginHeader();
  AddHeaderFields();
  EndHeader();
  FinishBody();
}

void CMailMessage::BeginHeader() {
  m_strHeader.clear();
}

void CMailMessage::AppendHeaderLine(const std::string& line) {
  m_strHeader += line;
  m_strHeader += "\r\n";
}

std::string CMailMessage::RecipientLine(const char* label, int kind) const {
  std::string line = label;
  const auto& list = *List(kind);
  for (size_t i = 0; i < list.size(); ++i) {
    if (i > 0) line += ",";
    line += list[i].m_strName + "<" + list[i].m_strAddress + ">";
  }
  return line;
}

void CMailMessage::AddHeaderFields() {
  AppendHeaderLine("From: " + m_strFrom);
  AppendHeaderLine(RecipientLine("To: ", RecipientTo));
  AppendHeaderLine(RecipientLine("Cc: ", RecipientCc));
  m_tDateTime = m_stampTime ? *m_stampTime : platform::Now();
  AppendHeaderLine("Date: " + (m_bFixedZone ? FormatMailDate(m_tDateTime, m_nUtcOffset, m_strZoneName)
                                            : FormatMailDate(m_tDateTime)));
  AppendHeaderLine("Subject: " + m_strSubject);
  AppendHeaderLine("X-Mailer: " + m_strMailerName);
}

void CMailMessage::EndHeader() {
  m_strHeader += "\r\n";
}

void CMailMessage::FinishBody() {
  if (!EndsWithCrLf(m_strBody)) m_strBody += "\r\n";
}

}  // namespace quorvex::mail
