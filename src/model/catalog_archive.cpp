// The stored layouts of the catalog classes, field by field, and the catalog file around them.
// doc/archive-format.md describes the same bytes for readers of the file.
#include "model/catalog_archive.h"

#include "model/archive_reader.h"
#include "model/archive_writer.h"
#include "model/value.h"

namespace quorvex::model {
namespace {

// How far the reader moves between two offers to give back the bytes it has read.
constexpr size_t kReleaseStride = size_t{1} << 20;

const ArchiveRegistry& CatalogRegistry() {
  static const ArchiveRegistry* registry = [] {
    auto* r = new ArchiveRegistry;
    r->Register<WDValPage>("WDValPage");
    r->Register<WDValue>("WDValue");
    r->RegisterValue<WDHistoryRecord>("WDHistoryRecord");
    r->Register<WDEventMessager>("WDEventMessager");
    r->Register<WDGroup>("WDGroup");
    r->Register<WDItem>("WDItem");
    return r;
  }();
  return *registry;
}

}  // namespace

// ---- item, folder, beacon

void WDItem::Store(ArchiveWriter& out) const {
  out.WriteWord(m_wReserved);
  out.WriteInt32(m_bEnabled);
  out.WriteString(m_strName);
  out.WriteString(m_strDescription);
  out.WriteWord(m_nKind);
  out.WriteWord(m_wFlag);
  if (out.IsCurrentGeneration()) out.WriteDword(0);
}

void WDItem::Load(ArchiveReader& in) {
  m_wReserved = in.ReadWord();
  m_bEnabled = in.ReadInt32();
  m_strName = in.ReadString();
  m_strDescription = in.ReadString();
  m_nKind = in.ReadWord();
  m_wFlag = in.ReadWord();
  if (in.IsCurrentGeneration()) in.ReadDword();
}

void WDGroup::Store(ArchiveWriter& out) const {
  WDItem::Store(out);
  out.WriteObjectArray(m_children);
}

void WDGroup::Load(ArchiveReader& in) {
  WDItem::Load(in);
  m_nKind = kKindGroup;  // the kind decides how the tree is walked: a folder is always a folder
  const uint32_t count = in.ReadCount();
  for (uint32_t i = 0; i < count && in.ok(); ++i) {
    std::unique_ptr<WDItem> created;
    WDItem* child = in.ReadObject(created);
    if (!child) continue;
    if (auto* group = dynamic_cast<WDGroup*>(child)) {
      if (!created) {
        in.Fail(ArchiveError::kBadIndex, "a folder stands in two places of the tree");
        continue;
      }
      created.release();
      m_ownedGroups.emplace_back(group);
      m_children.push_back(group);
    } else if (created) {
      // Beacons belong to pages, which come first in the file: one met first here has no page.
      const bool beacon = dynamic_cast<WDValue*>(child) != nullptr;
      m_rejected.push_back(std::move(created));
      in.Fail(ArchiveError::kBadClass, beacon ? "a beacon of the tree is missing from the page list"
                                              : "a folder holds an item that is neither folder nor beacon");
    } else if (dynamic_cast<WDValue*>(child)) {
      m_children.push_back(child);
    } else {
      in.Fail(ArchiveError::kBadClass, "a folder holds an item that is neither folder nor beacon");
    }
  }
}

void WDValue::Store(ArchiveWriter& out) const {
  WDItem::Store(out);
  out.WriteString(m_strUnit);
  out.WriteString(m_pattern.GetStored());
  out.WriteWord(static_cast<uint16_t>(m_nStatus));
  if (out.IsCurrentGeneration()) out.WriteDword(0);
  m_history.Store(out);
  m_alert.Store(out);
}

void WDValue::Load(ArchiveReader& in) {
  WDItem::Load(in);
  if (m_nKind == kKindGroup || m_nKind == kKindPlain) m_nKind = kKindText;  // re-derived after loading
  m_strUnit = in.ReadString();
  m_pattern.SetStored(in.ReadString());
  m_nStatus = in.ReadWord();
  if (in.IsCurrentGeneration()) in.ReadDword();
  m_history.Load(in);
  m_alert.Load(in);
  m_alert.SetOwner(this);
}

// ---- history

void WDHistory::Store(ArchiveWriter& out) const {
  out.WriteInt32(m_bKeepAll);
  out.WriteValueArray(m_records);
}

void WDHistory::Load(ArchiveReader& in) {
  m_bKeepAll = in.ReadInt32();
  // Each sample takes at least its tag, its TIME and a one-byte string prefix.
  constexpr size_t kMinStoredRecord = 2 + 4 + 1;
  in.ReadValueArray(m_records, kMinStoredRecord);
}

void WDHistoryRecord::Store(ArchiveWriter& out) const {
  out.WriteTime(m_time);
  out.WriteString(m_strText);
}

WDHistoryRecord WDHistoryRecord::Read(ArchiveReader& in) {
  const int64_t time = in.ReadTime();
  return WDHistoryRecord(in.ReadString(), time);
}

// ---- page and schedule

void WDFreshFreq::Store(ArchiveWriter& out) const {
  out.WriteTime(m_timeSet);
  out.WriteInt32(m_bAtStartOnly);
  out.WriteInt32(m_nUnit);
  out.WriteInt32(m_nCount);
}

void WDFreshFreq::Load(ArchiveReader& in) {
  m_timeSet = in.ReadTime();
  m_bAtStartOnly = in.ReadInt32();
  m_nUnit = in.ReadInt32();
  m_nCount = in.ReadInt32();
}

void WDValPage::Store(ArchiveWriter& out) const {
  out.WritePageAddress(m_strURL);
  out.WriteTime(m_timeFetched);
  if (out.IsCurrentGeneration()) {
    out.WriteInt32(m_nCharset);
    out.WriteDword(0);
    out.WriteDword(0);
    out.WriteString("");
  }
  m_freq.Store(out);
  out.WriteObjectArray(m_values);
}

void WDValPage::Load(ArchiveReader& in) {
  m_strURL = in.ReadPageAddress();
  m_timeFetched = in.ReadTime();
  if (in.IsCurrentGeneration()) {
    m_nCharset = in.ReadInt32();
    in.ReadDword();
    in.ReadDword();
    in.ReadString();
  }
  m_freq.Load(in);
  in.ReadOwnedArray(m_values);
  LinkValues();
}

// ---- alerts

void WDAlert::Store(ArchiveWriter& out) const {
  if (out.IsCurrentGeneration()) {
    out.WriteInt32(m_bEnabled);
    out.WriteDword(0);
  }
  out.WriteObjectArray(m_events);
}

void WDAlert::Load(ArchiveReader& in) {
  m_bEnabled = 1;
  if (in.IsCurrentGeneration()) {
    m_bEnabled = in.ReadInt32();
    in.ReadDword();
  }
  in.ReadOwnedArray(m_events);
}

void WDEventMessager::Store(ArchiveWriter& out) const {
  out.WriteInt32(m_nMode);
  out.WriteInt32(m_condition.m_nOperator);
  out.WriteString(m_condition.m_strOperand);
  if (!out.IsCurrentGeneration()) {
    out.WriteString(m_actMessage.m_strText);
    out.WriteInt32(m_actMessage.m_bSound);
    return;
  }
  out.WriteInt32(m_bOnce);
  out.WriteDword(m_nLastAlarm);
  m_actMessage.Store(out);
  m_actEmail.Store(out);
  m_actExec.Store(out);
  m_actSpare1.Store(out);
  m_actSpare2.Store(out);
}

void WDEventMessager::Load(ArchiveReader& in) {
  m_nMode = in.ReadInt32();
  m_condition.m_nOperator = in.ReadInt32();
  m_condition.m_strOperand = in.ReadString();
  if (!in.IsCurrentGeneration()) {
    // Older catalogs knew only the message action; its mode word said whether it was on.
    m_actMessage.m_strText = in.ReadString();
    m_actMessage.m_bSound = in.ReadInt32();
    m_actMessage.m_bEnabled = m_nMode == 0 ? 1 : 0;
    m_bOnce = 0;
    return;
  }
  m_bOnce = in.ReadInt32();
  m_nLastAlarm = in.ReadDword();
  m_actMessage.Load(in);
  m_actEmail.Load(in);
  m_actExec.Load(in);
  m_actSpare1.Load(in);
  m_actSpare2.Load(in);
}

void WDAction::Store(ArchiveWriter& out) const {
  out.WriteInt32(m_bEnabled);
}

void WDAction::Load(ArchiveReader& in) {
  m_bEnabled = in.ReadInt32();
}

void WDAlertMessage::Store(ArchiveWriter& out) const {
  WDAction::Store(out);
  out.WriteString(m_strText);
  out.WriteInt32(m_bSound);
  if (out.IsCurrentGeneration()) out.WriteString("");
}

void WDAlertMessage::Load(ArchiveReader& in) {
  WDAction::Load(in);
  m_strText = in.ReadString();
  m_bSound = in.ReadInt32();
  if (in.IsCurrentGeneration()) in.ReadString();
}

void WDAlertEmail::Store(ArchiveWriter& out) const {
  WDAction::Store(out);
  if (!out.IsCurrentGeneration()) return;
  out.WriteInt32(m_nCharset);
  for (const std::string* s : {&m_strTo, &m_strCc, &m_strBcc, &m_strSubject, &m_strText, &m_strSpare}) {
    out.WriteString(*s);
  }
  out.WriteString("");
}

void WDAlertEmail::Load(ArchiveReader& in) {
  WDAction::Load(in);
  if (!in.IsCurrentGeneration()) return;
  m_nCharset = in.ReadInt32();
  for (std::string* s : {&m_strTo, &m_strCc, &m_strBcc, &m_strSubject, &m_strText, &m_strSpare}) *s = in.ReadString();
  in.ReadString();
}

void WDAlertExec::Store(ArchiveWriter& out) const {
  WDAction::Store(out);
  if (!out.IsCurrentGeneration()) return;
  out.WriteInt32(m_bOpenPage);
  out.WriteString("");
  for (const std::string& s : m_strings) out.WriteString(s);
}

void WDAlertExec::Load(ArchiveReader& in) {
  WDAction::Load(in);
  m_bOpenPage = 1;
  if (!in.IsCurrentGeneration()) return;
  m_bOpenPage = in.ReadInt32();
  in.ReadString();
  for (std::string& s : m_strings) s = in.ReadString();
}

// ---- the file

bool IsOldLayout(std::string_view bytes) {
  return ArchiveReader::DetectGeneration(bytes) == ArchiveGeneration::kOlder;
}

CatalogReadResult ReadCatalog(std::string_view bytes, CatalogContents& out,
                              const std::function<void(size_t offset)>& release) {
  CatalogReadResult result;
  result.oldLayout = IsOldLayout(bytes);
  CatalogContents contents;
  {
    // The reader may still hold objects of a failed load that point at the beacons: it goes first.
    ArchiveReader in(bytes, CatalogRegistry(),
                     result.oldLayout ? ArchiveGeneration::kOlder : ArchiveGeneration::kCurrent);
    if (release) in.SetReleaseHook(release, kReleaseStride);
    if (!result.oldLayout) {
      contents.version = in.ReadInt32();
      in.ReadDword();
      in.ReadDword();
      in.ReadString();
    }
    in.ReadOwnedArray(contents.pages);
    in.ReadOwnedArray(contents.roots);
    contents.note = in.ReadString();
    if (in.ok() && !in.AtEnd()) in.Fail(ArchiveError::kGeneric, "unexpected bytes after the end of the catalog");
    if (!in.ok()) {
      result.message = in.status().message;
      out = CatalogContents();
      return result;
    }
  }
  out = std::move(contents);
  result.ok = true;
  return result;
}

std::string WriteCatalog(int32_t version, const std::vector<std::unique_ptr<WDValPage>>& pages,
                         const std::vector<std::unique_ptr<WDGroup>>& roots, const std::string& note,
                         std::string* error) {
  ArchiveWriter out(CatalogRegistry());
  out.WriteInt32(version);
  out.WriteDword(0);
  out.WriteDword(0);
  out.WriteString("");
  out.WriteObjectArray(pages);
  out.WriteObjectArray(roots);
  out.WriteString(note);
  if (!out.ok()) {
    if (error) *error = out.status().message;
    return std::string();
  }
  return out.TakeBytes();
}

}  // namespace quorvex::model
