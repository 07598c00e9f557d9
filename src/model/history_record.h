#pragma once
// One sample of a beacon: the extracted text, kept exactly as extracted, and when it was taken.
// The text is interpreted (number, checksum, plain text) only when asked. A plain value, held by
// value in its history (a catalog holds millions of them); stored in the archive as a value class.
// Not thread-safe; lives on the UI thread with the history that owns it.
#include <cstdint>
#include <string>
#include <utility>

namespace quorvex::model {

class ArchiveReader;
class ArchiveWriter;

class WDHistoryRecord {
 public:
  // Empty text, taken now (platform::Now()).
  WDHistoryRecord();
  // text taken now.
  explicit WDHistoryRecord(std::string text);
  WDHistoryRecord(std::string text, int64_t time);

  // Seconds since 1970 UTC.
  int64_t GetTime() const { return m_time; }
  void SetTime(int64_t time) { m_time = time; }

  // The stored text exactly as extracted (HTML included); what the archive writes.
  const std::string& GetRawText() const { return m_strText; }
  void SetRawText(std::string text) { m_strText = std::move(text); }

  // The text for display: text::CleanText(raw, stripTags, wrapWidth), then every "\n" as "\r\n".
  std::string GetText(bool stripTags, int wrapWidth) const;
  // The sample as a number (0 when it is not one).
  double GetNumber() const;
  // text::kValueText, kValueNumber or kValueChecksum.
  int GetType() const;

  void Store(ArchiveWriter& out) const;
  static WDHistoryRecord Read(ArchiveReader& in);

 private:
  std::string m_strText;
  int64_t m_time;
};

}  // namespace quorvex::model
