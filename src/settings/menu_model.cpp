#include "settings/menu_model.h"

namespace quorvex::settings {

uint16_t MenuModel::DefaultCommand() const {
  if (dropDowns_.empty() || dropDowns_.front().items.empty()) return 0;
  return dropDowns_.front().items.front().command;
}

std::vector<uint16_t> MenuModel::Commands() const {
  std::vector<uint16_t> commands;
  for (const auto& dropDown : dropDowns_) {
    for (const auto& item : dropDown.items) {
      if (!item.IsSeparator()) commands.push_back(item.command);
    }
  }
  return commands;
}

}  // namespace quorvex::settings
