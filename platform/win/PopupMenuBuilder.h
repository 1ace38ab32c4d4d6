#pragma once
// Turns a graphics-core menu tree into native popup menus and maps a chosen
// command id back to its menu and item. Command ids come from one running
// offset: a menu takes the block offset .. offset + n - 1 for its n items
// before its sub-menus are built, so a sub-menu met later gets the next
// free block.

#include <cstdint>
#include <string>

#include "graphics/IPopupMenu.h"
#include "platform/win/Win32Api.h"

namespace fx::win {

// Menu flags (MF_*).
inline constexpr std::uint32_t kMenuGrayed = 0x1;
inline constexpr std::uint32_t kMenuDisabled = 0x2;
inline constexpr std::uint32_t kMenuChecked = 0x8;
inline constexpr std::uint32_t kMenuPopup = 0x10;
inline constexpr std::uint32_t kMenuBarBreak = 0x20;
inline constexpr std::uint32_t kMenuSeparator = 0x800;

// The text an item shows: numbered in prefix mode 1, 2 or 3 ("%1d: ",
// "%02d: ", "%03d: " with the 1-based number) and every '&' doubled.
std::string MenuItemText(const std::string& text, std::int32_t prefix, std::int32_t number);

// Builds menu recursively; null when a native menu cannot be made.
// offset is advanced past every id handed out.
Handle BuildNativeMenu(Win32Api& api, const igraphics::IPopupMenu& menu, std::int32_t& offset);

// The menu holding command id (numbered as BuildNativeMenu does) with the
// item index inside it; null when the id belongs to no item.
igraphics::IPopupMenu* MenuForCommand(igraphics::IPopupMenu& root, std::int32_t id, std::int32_t& itemIndex);

}  // namespace fx::win
