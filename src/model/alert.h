#pragma once
// A beacon's alert definition: events, each a condition on the newest sample and the actions that
// run when it holds. Everything here runs on the UI thread, inside the processing of a page.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/archive_registry.h"
#include "model/document_hooks.h"

namespace quorvex::model {

class WDValue;
class WDHistoryRecord;
class ArchiveReader;
class ArchiveWriter;

// Condition operators; display texts are strings 61462..61467 in this order.
constexpr int32_t kOpEqual = 0;
constexpr int32_t kOpNotEqual = 1;
constexpr int32_t kOpGreater = 2;
constexpr int32_t kOpLess = 3;
constexpr int32_t kOpGreaterEqual = 4;
constexpr int32_t kOpLessEqual = 5;

// The lines that the newest change of value's page added or removed (DocumentHooks::NewestChange), when
// the user asked alerts to tell changes (EMAIL.IncludeChanges); otherwise, or without a page or a
// document, none.
std::vector<ChangedLine> AlertChanges(const WDValue* value);

class WDEventCondition {
 public:
  virtual ~WDEventCondition() = default;
  bool Test(const std::string& text) const;
  std::string Describe() const;
  // The sample before the newest one, or nullptr.
  const WDHistoryRecord* GetPreviousRecord() const;

  WDValue* m_pValue = nullptr;  // not owned
  std::string m_strOperand;     // empty: compare with the previous sample
  int32_t m_nOperator = kOpEqual;
};

class WDAction {
 public:
  explicit WDAction(WDEventCondition* condition = nullptr) : m_pCondition(condition) {}
  virtual ~WDAction() = default;
  WDAction(const WDAction&) = delete;
  WDAction& operator=(const WDAction&) = delete;
  // True when the action did its work.
  virtual bool Fire() { return m_bEnabled != 0; }
  void Store(ArchiveWriter& out) const;
  void Load(ArchiveReader& in);

  WDEventCondition* m_pCondition = nullptr;  // not owned: the event's condition
  int32_t m_bEnabled = 0;

 protected:
  WDValue* Value() const { return m_pCondition ? m_pCondition->m_pValue : nullptr; }
};

class WDAlertMessage : public WDAction {
 public:
  explicit WDAlertMessage(WDEventCondition* condition);
  bool Fire() override;
  // Closes this action's window when it is open; true when one was closed.
  bool CloseWindow();
  bool HasOpenWindow() const;
  void Store(ArchiveWriter& out) const;
  void Load(ArchiveReader& in);

  int m_pWindow = 0;  // id of the open alert window, 0 for none; never stored
  int32_t m_bSound = 1;
  std::string m_strText;
};

class WDAlertEmail : public WDAction {
 public:
  explicit WDAlertEmail(WDEventCondition* condition) : WDAction(condition) {}
  // Composes the alert mail and hands it to the installed courier (model/mail_courier.h), which
  // delivers it on another thread and shows the result when it comes: true then, without waiting.
  // Without a courier the mail is sent on this thread (true when sent). A missing recipient, relay
  // or sender is shown at once (false).
  bool Fire() override;
  void Store(ArchiveWriter& out) const;
  void Load(ArchiveReader& in);

  std::string m_strTo, m_strCc, m_strBcc, m_strSubject, m_strText, m_strSpare;
  int32_t m_nCharset = 0;
};

class WDAlertExec : public WDAction {
 public:
  static constexpr int kSlots = 3;
  static constexpr int kStringsPerSlot = 5;
  // The string of a slot that names what to open.
  static constexpr int kTargetString = 1;

  explicit WDAlertExec(WDEventCondition* condition) : WDAction(condition) {}
  bool Fire() override;
  void Store(ArchiveWriter& out) const;
  void Load(ArchiveReader& in);
  std::string& Program(int slot) { return m_strings[slot * kStringsPerSlot + kTargetString]; }
  const std::string& Program(int slot) const { return m_strings[slot * kStringsPerSlot + kTargetString]; }

  std::array<std::string, kSlots * kStringsPerSlot> m_strings;
  int32_t m_bOpenPage = 1;
};

class WDEventMessager : public ArchiveObject {
 public:
  WDEventMessager();
  ~WDEventMessager() override = default;
  WDEventMessager(const WDEventMessager&) = delete;
  WDEventMessager& operator=(const WDEventMessager&) = delete;

  bool Evaluate(const std::string& text, int mode);
  void Fire();
  void Store(ArchiveWriter& out) const;
  void Load(ArchiveReader& in);

  int32_t m_nMode = 0;
  int32_t m_bOnce = 0;
  uint32_t m_nLastAlarm = 0;
  WDEventCondition m_condition;
  WDAlertMessage m_actMessage;
  WDAlertEmail m_actEmail;
  WDAlertExec m_actExec;
  WDAction m_actSpare1;
  WDAction m_actSpare2;
};

class WDAlert {
 public:
  virtual ~WDAlert() = default;
  void SetOwner(WDValue* value);
  bool IsEnabled() const { return m_bEnabled != 0; }
  void SetEnabled(bool enabled) { m_bEnabled = enabled ? 1 : 0; }
  // The number of events whose condition holds (mode 0 fires them, mode 1 only asks).
  int Evaluate(const std::string& text, int mode);
  int CloseAlertWindows();
  // Appends an event owned by this alert and wired to its value.
  WDEventMessager& AddEvent(std::unique_ptr<WDEventMessager> event);
  bool RemoveEvent(size_t index);
  size_t GetEventCount() const { return m_events.size(); }
  WDEventMessager& GetEvent(size_t index) { return *m_events[index]; }
  const WDEventMessager& GetEvent(size_t index) const { return *m_events[index]; }
  void Store(ArchiveWriter& out) const;
  void Load(ArchiveReader& in);

  int32_t m_bEnabled = 1;
  WDValue* m_pValue = nullptr;  // not owned: the owning value
  std::vector<std::unique_ptr<WDEventMessager>> m_events;
};

}  // namespace quorvex::model
