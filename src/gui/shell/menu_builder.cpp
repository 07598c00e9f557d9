#include "gui/shell/menu_builder.h"

#include <QKeySequence>

#include "gui/shell/gui_text.h"
#include "platform/command_ids.h"

namespace quorvex::gui {
namespace {

// Tool tips longer than this are cut, as the tip window always did.
constexpr int kMaxTipChars = 79;

void FillItems(QMenu& menu, const settings::DropDown& dropDown, CommandActions& actions) {
  for (const settings::MenuItem& item : dropDown.items) {
    if (item.IsSeparator()) {
      menu.addSeparator();
      continue;
    }
    QString label = FromBytes(item.label);
    QString shortcut;
    const qsizetype tab = label.indexOf(QLatin1Char('\t'));
    if (tab >= 0) {
      shortcut = label.mid(tab + 1);
      label.truncate(tab);
    }
    QAction* action = menu.addAction(label);
    action->setData(item.command);
    if (!shortcut.isEmpty()) action->setShortcut(QKeySequence::fromString(shortcut, QKeySequence::PortableText));
    if (platform::cmd::HasPrompt(item.command)) {
      action->setStatusTip(PromptPart(item.command));
      const QString tip = TipPart(item.command).left(kMaxTipChars);
      if (!tip.isEmpty()) action->setToolTip(tip);
    }
    actions.Add(action);
  }
}

}  // namespace

void CommandActions::Add(QAction* action) {
  byCommand_[CommandOf(action)].append(action);
}

const QList<QAction*>& CommandActions::Of(uint16_t command) const {
  static const QList<QAction*> kNone;
  auto it = byCommand_.constFind(command);
  return it == byCommand_.constEnd() ? kNone : *it;
}

void CommandActions::SetEnabled(uint16_t command, bool enabled) {
  for (QAction* action : Of(command)) action->setEnabled(enabled);
}

void CommandActions::SetChecked(uint16_t command, bool checked) {
  for (QAction* action : Of(command)) {
    action->setCheckable(true);
    action->setChecked(checked);
  }
}

uint16_t CommandOf(const QAction* action) {
  return action ? static_cast<uint16_t>(action->data().toUInt()) : 0;
}

void BuildMenuBar(QMenuBar& bar, const settings::MenuModel& model, CommandActions& actions) {
  for (const settings::DropDown& dropDown : model.DropDowns()) {
    QMenu* menu = bar.addMenu(FromBytes(dropDown.title));
    FillItems(*menu, dropDown, actions);
  }
}

void BuildContextMenu(QMenu& menu, const settings::MenuModel& model, CommandActions& actions) {
  if (model.Empty()) return;
  FillItems(menu, model.DropDowns().front(), actions);
  const QList<QAction*>& first = actions.Of(model.DefaultCommand());
  for (QAction* action : first) {
    if (action->parent() == &menu || menu.actions().contains(action)) {
      menu.setDefaultAction(action);
      break;
    }
  }
}

}  // namespace quorvex::gui
