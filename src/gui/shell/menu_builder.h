#pragma once
// Real menus from the language file's menu model. Every action carries its command id in
// QAction::data(), its status-bar prompt and its tool tip from the language texts, and the shortcut
// written after a tab in its label.
#include <QAction>
#include <QHash>
#include <QList>
#include <QMenu>
#include <QMenuBar>
#include <cstdint>

#include "settings/menu_model.h"

namespace quorvex::gui {

// The actions of the menus by command id; a command listed twice has two actions.
class CommandActions {
 public:
  void Add(QAction* action);
  const QList<QAction*>& Of(uint16_t command) const;
  QList<uint16_t> Commands() const { return byCommand_.keys(); }
  void SetEnabled(uint16_t command, bool enabled);
  void SetChecked(uint16_t command, bool checked);

 private:
  QHash<uint16_t, QList<QAction*>> byCommand_;
};

// The command of an action (0 for none).
uint16_t CommandOf(const QAction* action);

// Appends one drop-down per model drop-down to bar.
void BuildMenuBar(QMenuBar& bar, const settings::MenuModel& model, CommandActions& actions);
// Fills menu with the items of the model's first drop-down (a context menu); its first command is the
// default action, shown bold.
void BuildContextMenu(QMenu& menu, const settings::MenuModel& model, CommandActions& actions);

}  // namespace quorvex::gui
