#pragma once
// A plain Internet mail message: header lines, recipients of three kinds and one body text.
// Compose turns the fields into the exact header and body text that the SMTP session sends.
//
// Ownership: the message owns all its texts and recipients. Thread: a message is used by one thread.
// Failure: composing cannot fail; recipient operations answer with booleans.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvex::mail {

struct CMailRecipient {
  std::string m_strAddress;  // mailbox address, without angle brackets
  std::string m_strName;     // display name; may be empty
};

// Recipient kinds; any other number is an invalid kind.
constexpr int RecipientTo = 0;
constexpr int RecipientCc = 1;
constexpr int RecipientBcc = 2;

// The Date header value for seconds since 1970 in the given local calendar (utc offset in seconds,
// zone name as the runtime reports it): "%a, %d %b %y %H:%M:%S %Z" with English names whatever
// the process locale. Empty when the text would exceed 127 characters.
std::string FormatMailDate(int64_t seconds, int utcOffset, const std::string& zoneName);
// The same in the machine's local time zone.
std::string FormatMailDate(int64_t seconds);

class CMailMessage {
 public:
  CMailMessage();
  virtual ~CMailMessage();
  CMailMessage(const CMailMessage&) = delete;
  CMailMessage& operator=(const CMailMessage&) = delete;

  // Set by the caller before Compose; written byte for byte, never folded, quoted or encoded.
  std::string m_strFrom;
  std::string m_strSubject;
  std::string m_strMailerName = "ZQ Mail";
  // The caller's body text before Compose, the final body after it.
  std::string m_strBody;

  // Kind 0/1/2 appends {address, name} to that list; any other kind adds nothing. Always true.
  bool AddRecipient(const std::string& address, const std::string& name, int kind);
  // Adds every entry of a ';'-separated list: "address" or "name <address>". Blank entries are
  // skipped and addresses lose surrounding white space. An entry with "<" but no ">" after it
  // stops the parse with false; entries before it stay added.
  bool AddRecipientList(const std::string& list, int kind);
  // False (outputs untouched) for a bad kind or an index outside the list.
  bool GetRecipient(std::string& address, std::string& name, int index, int kind) const;
  int GetRecipientCount(int kind) const;

  // Builds the header text and the final body. Runs once per message.
  void Compose();

  int GetCharsPerLine() const { return m_nCharsPerLine; }
  void SetCharsPerLine(int n) { m_nCharsPerLine = n; }

  // The instant Compose stamps into the Date line; unset, Compose takes platform::Now().
  void SetStampTime(int64_t seconds) { m_stampTime = seconds; }
  // Fixes the zone of the Date line (tests); unset, the machine's local zone is used.
  void SetTimeZone(int utcOffset, const std::string& zoneName);

  const std::string& GetHeader() const { return m_strHeader; }
  int64_t GetDateTime() const { return m_tDateTime; }

 protected:
  virtual void AddHeaderFields();
  virtual void FinishBody();
  virtual void EndHeader();
  virtual void BeginHeader();
  virtual void AppendHeaderLine(const std::string& line);

  std::string m_strHeader;
  int64_t m_tDateTime = 0;
  int m_nCharsPerLine = 76;

 private:
  std::vector<CMailRecipient>* List(int kind);
  const std::vector<CMailRecipient>* List(int kind) const;
  std::string RecipientLine(const char* label, int kind) const;

  std::vector<CMailRecipient> m_lstTo, m_lstCc, m_lstBcc;
  std::optional<int64_t> m_stampTime;
  bool m_bFixedZone = false;
  int m_nUtcOffset = 0;
  std::string m_strZoneName;
};

}  // namespace quorvex::mail
