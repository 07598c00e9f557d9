#pragma once
// A menu as the language file describes it, free of any toolkit: a row of drop-downs, each a list
// of command items and separators. The GUI turns it into real menus; the core only builds it.
#include <cstdint>
#include <string>
#include <vector>

namespace quorvex::settings {

struct MenuItem {
  // 0 marks a separator; otherwise the command the item sends.
  uint16_t command = 0;
  // What the item shows; a tab separates the label from the shortcut shown right-aligned.
  std::string label;

  bool IsSeparator() const { return command == 0; }
};

struct DropDown {
  // Shown as written in the file (an "&" marks the access key).
  std::string title;
  std::vector<MenuItem> items;
};

class MenuModel {
 public:
  void AddDropDown(DropDown dropDown) { dropDowns_.push_back(std::move(dropDown)); }
  const std::vector<DropDown>& DropDowns() const { return dropDowns_; }
  bool Empty() const { return dropDowns_.empty(); }

  // The first command of the first drop-down: shown bold in context menus. 0 when there is none.
  uint16_t DefaultCommand() const;
  // Every command id of the menu, in menu order (a command listed twice appears twice).
  std::vector<uint16_t> Commands() const;

 private:
  std::vector<DropDown> dropDowns_;
};

}  // namespace quorvex::settings
