#pragma once
// The samples of one beacon, oldest first. The history decides what is kept (runs of equal samples
// are held as their first and latest sample; or only the last two samples), what counts as a change,
// and serves the graph, lists and export. Not thread-safe: UI thread only.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "model/history_record.h"

namespace quorvex::model {

class WDHistory {
 public:
  using Records = std::vector<WDHistoryRecord>;

  WDHistory() = default;
  WDHistory(const WDHistory&) = delete;
  WDHistory& operator=(const WDHistory&) = delete;
  WDHistory(WDHistory&&) = default;
  WDHistory& operator=(WDHistory&&) = default;

  int GetCount() const { return static_cast<int>(m_records.size()); }
  // The record at index (oldest is 0), or nullptr outside 0..GetCount()-1. The records live in
  // the history's own array: a pointer stays valid only until the history next changes
  // (AddRecord, AppendLoaded, Clear, Load, assignment) or is destroyed; do not keep it longer.
  const WDHistoryRecord* GetAt(int index) const;
  WDHistoryRecord* GetAt(int index);
  // The newest record or nullptr; valid as long as GetAt's.
  const WDHistoryRecord* GetLast() const;
  WDHistoryRecord* GetLast();

  // 1 = keep every change (runs of equal samples compressed); 0 = keep the previous and the current
  // sample only. The flag is stored as written (a 32-bit word in the archive).
  bool IsKeepAll() const { return m_bKeepAll != 0; }
  int32_t GetKeepAll() const { return m_bKeepAll; }
  void SetKeepAll(int32_t keepAll) { m_bKeepAll = keepAll; }

  // Adds a new sample. With keep-all, a sample equal (tag-stripped text) to the
  // newest one, when the last two are already equal, only moves the newest record's time forward;
  // otherwise it is appended. Without keep-all, the last two records become the previous newest and
  // the new one (records older than those are left alone).
  void AddRecord(WDHistoryRecord record);

  // Whether the newest sample differs from the one before: numerically for numbers, by the
  // tag-stripped text otherwise. True with fewer than two records.
  bool HasLastChanged() const;

  // Number of the record at index minus the number of the one before (0.0 before the first);
  // 0.0 for an index outside the records.
  double GetDelta(int index) const;

  // Largest / smallest number among the records whose time lies in [end - span, end]; span 0 means
  // from 1 January 1990 00:00 local time. The first such record starts the comparison; 0.0 when none.
  double GetMaximum(int64_t span, int64_t end) const;
  double GetMinimum(int64_t span, int64_t end) const;

  // Index of the first record (oldest first) taken at or after time; GetCount() when there is none.
  int FindFirstAt(int64_t time) const;

  // The history as delimited text, newest first, one line per record ending in recordSep and CR LF:
  // date, (fieldSep when time is separate, else a blank), time (empty when dateOnly), fieldSep, the
  // tag-stripped text (in double quotes when quote). Date and time formats come from language text
  // 32812 (first 8 characters the date, the rest the time); times are shown in local time.
  std::string BuildExportText(bool dateOnly, bool separateTime, const std::string& fieldSep,
                              const std::string& recordSep, bool quote) const;

  // For the archive: the records as stored, oldest first, and loading them back without any
  // compression.
  const Records& GetRecords() const { return m_records; }
  void AppendLoaded(WDHistoryRecord record) { m_records.push_back(std::move(record)); }
  // Destroys every record.
  void Clear() { m_records.clear(); }

  void Store(ArchiveWriter& out) const;
  void Load(ArchiveReader& in);

 private:
  double Extreme(int64_t span, int64_t end, bool largest) const;

  Records m_records;
  int32_t m_bKeepAll = 1;
};

}  // namespace quorvex::model
