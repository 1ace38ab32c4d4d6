#include "platform/win/PopupMenuBuilder.h"

#include <cstdio>

namespace fx::win {

namespace {
// Menus this long get no column breaks: the system makes its own.
constexpr std::int32_t kMaxItemsForColumns = 160;
}  // namespace

std::string MenuItemText(const std::string& text, std::int32_t prefix, std::int32_t number) {
  std::string shown;
  if (prefix >= 1 && prefix <= 3) {
    static const char* const kFormats[] = {"%1d: ", "%02d: ", "%03d: "};
    char head[32];
    std::snprintf(head, sizeof head, kFormats[prefix - 1], number);
    shown = head;
  }
  for (char c : text) {
    shown += c;
    if (c == '&') shown += '&';
  }
  return shown;
}

Handle BuildNativeMenu(Win32Api& api, const igraphics::IPopupMenu& menu, std::int32_t& offset) {
  // The block is taken even when the menu cannot be made, so that ids stay
  // those MenuForCommand computes.
  const std::int32_t n = menu.NItems();
  const std::int32_t first = offset;
  offset += n;
  Handle native = api.CreatePopupMenu();
  if (!native) return nullptr;
  const std::int32_t columns = menu.GetNColumns();
  for (std::int32_t i = 0; i < n; ++i) {
    const igraphics::IPopupMenu::Item* item = menu.GetItem(i);
    if (item->GetIsSeparator()) {
      api.AddMenuItem(native, kMenuSeparator, 0, nullptr);
      continue;
    }
    const std::string text = MenuItemText(item->GetText(), menu.GetPrefix(), i + 1);
    std::uint32_t flags = 0;
    if (!item->GetEnabled()) flags |= kMenuGrayed;
    if (item->GetIsTitle()) flags |= kMenuDisabled;
    if (item->GetChecked()) flags |= kMenuChecked;
    if (n < kMaxItemsForColumns && columns >= 1 && i != 0 && i % columns == 0) flags |= kMenuBarBreak;
    if (const igraphics::IPopupMenu* sub = item->GetSubmenu()) {
      Handle subNative = BuildNativeMenu(api, *sub, offset);
      if (subNative) api.AddMenuItem(native, flags | kMenuPopup, reinterpret_cast<std::uintptr_t>(subNative), text.c_str());
    } else {
      api.AddMenuItem(native, flags, static_cast<std::uintptr_t>(first + i), text.c_str());
    }
  }
  return native;
}

namespace {
igraphics::IPopupMenu* Find(igraphics::IPopupMenu& menu, std::int32_t id, std::int32_t& offset, std::int32_t& index) {
  const std::int32_t n = menu.NItems();
  const std::int32_t first = offset;
  offset += n;
  if (id >= first && id < first + n) {
    index = id - first;
    return &menu;
  }
  for (std::int32_t i = 0; i < n; ++i) {
    if (igraphics::IPopupMenu* sub = menu.GetItem(i)->GetSubmenu()) {
      if (igraphics::IPopupMenu* found = Find(*sub, id, offset, index)) return found;
    }
  }
  return nullptr;
}
}  // namespace

igraphics::IPopupMenu* MenuForCommand(igraphics::IPopupMenu& root, std::int32_t id, std::int32_t& itemIndex) {
  itemIndex = -1;
  if (id < 0) return nullptr;
  std::int32_t offset = 0;
  return Find(root, id, offset, itemIndex);
}

}  // namespace fx::win
