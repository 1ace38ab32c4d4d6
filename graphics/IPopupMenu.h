#pragma once
// A menu as the platform shows it: items with optional sub-menus, flags and
// tags, the index the user chose (-1 none) and a completion function the
// platform calls after a choice. Item indices outside the list are answered
// with null / false, never a failure that escapes.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fx::igraphics {

class IPopupMenu {
 public:
  class Item {
   public:
    enum Flags : std::int32_t { kNoFlags = 0, kDisabled = 1, kTitle = 2, kChecked = 4, kSeparator = 8 };

    Item(const char* text, std::int32_t flags = kNoFlags, std::int32_t tag = -1)
        : text_(text ? text : ""), flags_(flags), tag_(tag) {}

    const std::string& GetText() const { return text_; }
    IPopupMenu* GetSubmenu() const { return subMenu_.get(); }
    void SetSubmenu(std::unique_ptr<IPopupMenu> menu) { subMenu_ = std::move(menu); }
    std::int32_t GetFlags() const { return flags_; }
    std::int32_t GetTag() const { return tag_; }
    bool GetChecked() const { return (flags_ & kChecked) != 0; }
    bool GetEnabled() const { return (flags_ & kDisabled) == 0; }
    bool GetIsTitle() const { return (flags_ & kTitle) != 0; }
    bool GetIsSeparator() const { return (flags_ & kSeparator) != 0; }

   private:
    std::string text_;
    std::unique_ptr<IPopupMenu> subMenu_;
    std::int32_t flags_;
    std::int32_t tag_;
  };

  using CompletionFunction = std::function<void(IPopupMenu* menu)>;

  explicit IPopupMenu(const char* rootTitle = "", std::int32_t prefix = 0) : prefix_(prefix) {
    SetRootTitle(rootTitle);
  }

  Item* AddItem(const char* text, std::int32_t flags = Item::kNoFlags, std::int32_t tag = -1) {
    items_.push_back(std::make_unique<Item>(text, flags, tag));
    return items_.back().get();
  }
  Item* AddSeparator() { return AddItem("", Item::kSeparator); }

  std::int32_t NItems() const { return static_cast<std::int32_t>(items_.size()); }
  // Null outside 0 .. NItems() - 1.
  Item* GetItem(std::int32_t index) const {
    if (index < 0 || index >= NItems()) return nullptr;
    return items_[static_cast<std::size_t>(index)].get();
  }
  // Null when nothing (or an index outside the list) is chosen.
  Item* GetChosenItem() const { return GetItem(chosenIdx_); }
  const char* GetItemText(std::int32_t index) const {
    const Item* item = GetItem(index);
    return item ? item->GetText().c_str() : "";
  }

  std::int32_t GetChosenItemIdx() const { return chosenIdx_; }
  void SetChosenItemIdx(std::int32_t index) { chosenIdx_ = index; }
  std::int32_t GetNColumns() const { return nColumns_; }
  void SetNColumns(std::int32_t columns) { nColumns_ = columns < 0 ? 0 : columns; }
  std::int32_t GetPrefix() const { return prefix_; }
  void SetPrefix(std::int32_t prefix) { prefix_ = (prefix < 0 || prefix > 3) ? 0 : prefix; }
  const char* GetRootTitle() const { return rootTitle_.c_str(); }
  void SetRootTitle(const char* title) { rootTitle_ = title ? title : ""; }
  void SetFunction(CompletionFunction function) { function_ = std::move(function); }
  void ExecFunction() {
    if (function_) function_(this);
  }

  // Empties the menu for reuse: no items, no prefix, nothing chosen.
  void Clear() {
    prefix_ = 0;
    further_ = 0;
    chosenIdx_ = -1;
    items_.clear();
  }

 private:
  std::int32_t nColumns_ = 0;
  std::int32_t prefix_ = 0;
  std::int32_t chosenIdx_ = -1;
  std::int32_t further_ = 0;
  std::vector<std::unique_ptr<Item>> items_;
  CompletionFunction function_;
  std::string rootTitle_;
};

}  // namespace fx::igraphics
