// The Windows platform services of the editor window: the native text
// entry, popup menus, cursor shapes and position, tooltips, message boxes,
// file, folder and colour dialogs, URLs and the file manager, the
// clipboard, and GDI fonts (system fonts by name and memory fonts from the
// module's resources) with the process-wide font registry they share.

#include <cmath>
#include <map>
#include <mutex>

#include "graphics/controls/IControl.h"
#include "platform/win/FontNameTable.h"
#include "platform/win/IGraphicsWin.h"
#include "platform/win/PopupMenuBuilder.h"
#include "platform/win/TextConversion.h"
#include "platform/win/WinConstants.h"
#include "platform/win/WindowRules.h"

namespace fx::igraphics {

using namespace fx::win;

namespace {

// The platform font registry (memory-font handles by font id) and the font
// descriptor cache (font requests by font id). The registry lock is always
// taken before the cache lock.
struct FontRegistry {
  std::mutex lock;
  std::int32_t users = 0;
  std::map<std::string, Handle> memoryFonts;
  Win32Api* api = nullptr;
};
struct FontCache {
  std::mutex lock;
  std::int32_t users = 0;
  std::map<std::string, FontRequest> requests;
};
FontRegistry& Registry() {
  static FontRegistry r;
  return r;
}
FontCache& Cache() {
  static FontCache c;
  return c;
}

// The colour chooser's custom colours, kept for the process.
std::uint32_t gCustomColours[16] = {};

float SafeScale(float s) { return (std::isfinite(s) && s > 0.0f) ? s : 1.0f; }

}  // namespace

void IGraphicsWin::JoinFontRegistry(Win32Api& api) {
  std::scoped_lock locks(Registry().lock, Cache().lock);
  ++Registry().users;
  ++Cache().users;
  Registry().api = &api;
}

void IGraphicsWin::LeaveFontRegistry(Win32Api& api) {
  std::scoped_lock locks(Registry().lock, Cache().lock);
  if (--Cache().users == 0) Cache().requests.clear();
  if (--Registry().users == 0) {
    for (auto& entry : Registry().memoryFonts) api.RemoveFontMemResource(entry.second);
    Registry().memoryFonts.clear();
  }
}

// ---------------------------------------------------------------- fonts

IGraphicsWin::Font::~Font() {
  if (font_) api_.DeleteObject(font_);
}

bool IGraphicsWin::Font::GetFontData(std::vector<std::uint8_t>& data, std::string& styleName) const {
  data.clear();
  if (!font_) return false;
  const std::int64_t size = api_.FontData(font_, 0, nullptr);
  if (size <= 0) return false;
  constexpr std::uint32_t kCollection = 0x66637474;  // "ttcf" as GetFontData reads table tags
  std::vector<std::uint8_t> bytes;
  std::int64_t read = api_.FontData(font_, kCollection, &bytes);
  if (read <= 0) read = api_.FontData(font_, 0, &bytes);
  if (read != size || bytes.size() != static_cast<std::size_t>(size)) return false;
  data = std::move(bytes);
  styleName = styleName_;
  return true;
}

// ---------------------------------------------------------------- text entry

void IGraphicsWin::CreatePlatformTextEntry(std::int32_t paramIdx, const ITextStyle& style, const IBounds& bounds,
                                           std::int32_t length, const char* text) {
  if (edit_ || !window_) return;
  const float s = GetTotalScale();
  const std::int32_t left = static_cast<std::int32_t>(bounds.left * s), top = static_cast<std::int32_t>(bounds.top * s);
  const std::int32_t w = static_cast<std::int32_t>(bounds.right * s) - left + 1;
  const std::int32_t h = static_cast<std::int32_t>(bounds.bottom * s) - top + 1;
  std::u16string wide = Utf8ToUtf16(text ? text : "");
  if (wide.size() + 1 > 32) wide.clear();
  edit_ = api_.MakeWindowW(0, "EDIT", wide, TextEntryStyle(style.hAlign), {left, top, left + w, top + h}, window_,
                           kTextEntryId, GetModuleInstance());
  if (!edit_) return;
  {
    std::lock_guard lock(Cache().lock);
    FontRequest request;
    auto it = Cache().requests.find(style.fontId);
    if (it != Cache().requests.end()) request = it->second;
    request.height = static_cast<std::int32_t>(style.size * s);
    editFont_ = api_.MakeFont(request);
  }
  editParam_ = GetDelegate().GetParam(paramIdx) ? paramIdx : -1;
  editStyle_ = style;
  editBounds_ = bounds;
  api_.Send(edit_, kEmLimitText, static_cast<std::uintptr_t>(length < 0 ? 0 : length), 0);
  if (editFont_) api_.Send(edit_, kWmSetFont, reinterpret_cast<std::uintptr_t>(editFont_), 0);
  api_.Send(edit_, kEmSetSel, 0, -1);
  if (style.vAlign == ITextStyle::kMiddle) {
    const std::int32_t top2 = static_cast<std::int32_t>((static_cast<float>(h) - style.size * s) * 0.5f);
    api_.SetEditRect(edit_, {0, top2, w, h});
  }
  api_.SetFocus(edit_);
  api_.SubclassEdit(edit_, this);
}

void IGraphicsWin::DestroyTextEntry() {
  if (!edit_) return;
  api_.UnsubclassEdit(edit_);
  api_.DestroyWindow(edit_);
  edit_ = nullptr;
  if (editFont_) api_.DeleteObject(editFont_);
  editFont_ = nullptr;
  editParam_ = -1;
}

void IGraphicsWin::CloseTextEntry(bool apply) {
  if (apply) {
    const std::string text = Utf16ToUtf8(api_.GetEditText(edit_, 256));
    DestroyTextEntry();
    FinishTextEntry(text.c_str());
  } else {
    DestroyTextEntry();
    CancelTextEntry();
  }
  textEntryState_ = TextEntryState::None;
}

std::intptr_t IGraphicsWin::EditMessage(Handle window, std::uint32_t msg, std::uintptr_t wParam,
                                        std::intptr_t lParam) {
  HideTooltipIfShown();
  switch (msg) {
    case kWmSetFocus:
      textEntryState_ = TextEntryState::Focused;
      break;
    case kWmKillFocus:
      textEntryState_ = TextEntryState::Apply;
      break;
    case kWmGetDlgCode: {
      std::intptr_t code = api_.CallPreviousEditProc(window, msg, wParam, lParam);
      // lParam: the queried message; let Return reach the edit box.
      if (api_.QueriedKeyDown(lParam) == kVkReturn) code |= kDlgcWantAllKeys;
      return code;
    }
    case kWmKeyDown:
      if (wParam == kVkReturn) {
        textEntryState_ = TextEntryState::Apply;
        return 0;
      }
      if (wParam == kVkEscape) {
        textEntryState_ = TextEntryState::Discard;
        return 0;
      }
      break;
    case kWmChar:
      if (editParam_ >= 0 && !TextEntryAccepts(GetDelegate().GetParam(editParam_), static_cast<std::uint32_t>(wParam)))
        return 0;
      break;
    case kWmCommand:
      if (((wParam >> 16) & 0xFFFF) == 1) {
        textEntryState_ = TextEntryState::Apply;
        return 0;
      }
      break;
    default:
      break;
  }
  return api_.CallPreviousEditProc(window, msg, wParam, lParam);
}

// ---------------------------------------------------------------- menus

IPopupMenu* IGraphicsWin::CreatePlatformPopupMenu(IPopupMenu& menu, const IBounds& area) {
  if (!window_) return nullptr;
  std::int32_t offset = 0;
  Handle native = BuildNativeMenu(api_, menu, offset);
  if (!native) return nullptr;
  const float s = GetTotalScale();
  Point p{static_cast<std::int32_t>(area.left * s), static_cast<std::int32_t>(area.bottom * s)};
  api_.ClientToScreen(window_, p);
  IPopupMenu* chosen = nullptr;
  if (api_.TrackPopupMenu(native, kTpmLeftButton, p, window_)) {
    const std::intptr_t command = api_.PeekCommand(window_);
    const std::intptr_t id = command & 0xFFFF;
    if (command >= 0 && ((command >> 16) & 0xFFFF) == 0 && id < 0x10000) {
      std::int32_t index = -1;
      chosen = MenuForCommand(menu, static_cast<std::int32_t>(id), index);
      if (chosen) {
        chosen->SetChosenItemIdx(index);
        chosen->ExecFunction();
      }
    }
  }
  api_.DestroyMenu(native);
  const Rect whole{0, 0, WindowWidth(), WindowHeight()};
  api_.InvalidateRect(window_, &whole, false);
  return chosen;
}

// ---------------------------------------------------------------- cursor

void IGraphicsWin::SetPlatformCursor(std::int32_t kind) { api_.SetCursorShape(SystemCursorForKind(kind)); }

void IGraphicsWin::GetMouseLocation(float& x, float& y) const {
  Point p;
  if (!window_ || !api_.CursorPos(p)) {
    x = LastX();
    y = LastY();
    return;
  }
  api_.ScreenToClient(window_, p);
  const float s = SafeScale(GetTotalScale());
  x = static_cast<float>(p.x) / s;
  y = static_cast<float>(p.y) / s;
}

bool IGraphicsWin::MultiTouchAvailable() const { return (api_.GetDigitizerStatus() & kNidReady) != 0; }

// ---------------------------------------------------------------- tooltips

void IGraphicsWin::ShowTooltip(const char* text) {
  if (!tooltip_) return;
  api_.SetTooltipText(tooltip_, window_, text);
  tooltipShown_ = text != nullptr;
}

// ---------------------------------------------------------------- dialogs and shell

Handle IGraphicsWin::HostMainWindow() {
  if (mainWindow_) return mainWindow_;
  if (parent_) {
    Handle w = parent_;
    while (Handle up = api_.GetParent(w)) w = up;
    mainWindow_ = w;
  } else if (!mainWindowClass_.empty()) {
    mainWindow_ = api_.FindProcessWindowByClass(mainWindowClass_.c_str());
  }
  return mainWindow_;
}

void IGraphicsWin::ShowMessageBox(const char* text, const char* caption, std::int32_t type,
                                  MessageBoxCompletion completion) {
  ReleaseCaptures();
  HideCursor(false);
  const std::int32_t result =
      api_.ShowMessageBox(HostMainWindow(), text ? text : "", caption ? caption : "", static_cast<std::uint32_t>(type));
  if (completion) completion(result);
}

void IGraphicsWin::PromptForFile(std::string& fileName, std::string& directory, std::int32_t action,
                                 const char* extensions) {
  std::u16string file = Utf8ToUtf16(fileName);
  std::u16string dir = Utf8ToUtf16(directory);
  if (file.size() > 259) file.clear();
  if (dir.size() > 259) dir.clear();
  const FileFilter filter = MakeFileFilter(extensions ? extensions : "");
  if (!api_.FileDialog(window_, action == 1, Utf8ToUtf16(filter.filter), Utf8ToUtf16(filter.defaultExtension), dir,
                       file)) {
    fileName.clear();
    return;
  }
  fileName = Utf16ToUtf8(file);
  const std::size_t slash = fileName.find_last_of("\\/");
  directory = slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

void IGraphicsWin::PromptForDirectory(std::string& directory) {
  ReleaseCaptures();
  HideCursor(false);
  std::string path;
  directory = api_.BrowseForFolder(window_, path) ? path + "\\" : std::string();
}

bool IGraphicsWin::PromptForColour(IArgb& colour, const char* caption, ColourCompletion completion) {
  if (!window_) return false;
  ReleaseCaptures();
  HideCursor(false);
  std::uint32_t rgb = ColourRef(colour.r, colour.g, colour.b);
  if (!api_.ChooseColour(window_, rgb, gCustomColours, caption ? caption : "")) return false;
  colour.r = static_cast<std::int32_t>(rgb & 0xFF);
  colour.g = static_cast<std::int32_t>((rgb >> 8) & 0xFF);
  colour.b = static_cast<std::int32_t>((rgb >> 16) & 0xFF);
  if (completion) completion(colour);
  return true;
}

bool IGraphicsWin::OpenURL(const char* url, const char* caption, const char* confirmText, const char* errorText) {
  if (confirmText && api_.ShowMessageBox(window_, confirmText, caption ? caption : "", 4 /* MB_YESNO */) != 6)
    return false;
  if (api_.InternetConnected()) {
    std::u16string address = Utf8ToUtf16(url ? url : "");
    if (address.size() > 4096) address.clear();
    return api_.ShellOpen(window_, address, u"", u"") > 32;
  }
  if (errorText) api_.ShowMessageBox(window_, errorText, caption ? caption : "", 0 /* MB_OK */);
  return false;
}

bool IGraphicsWin::RevealPathInExplorerOrFinder(const char* path, bool select) {
  if (!path || !*path) return false;
  std::u16string dir = api_.SystemDirectory();
  dir += u"\\";
  // Appended piece by piece: GCC 12's 32-bit -Wrestrict misreads a chain of
  // operator+ on a literal.
  std::u16string args = select ? u"/select," : u"";
  args.push_back(u'"');
  args.append(Utf8ToUtf16(path));
  args.push_back(u'"');
  return api_.ShellOpen(nullptr, u"explorer.exe", args, dir) > 32;
}

bool IGraphicsWin::GetTextFromClipboard(std::string& text) {
  text.clear();
  if (!api_.ClipboardHasUnicode() || !api_.ClipboardOpen(nullptr)) return false;
  std::u16string wide;
  const bool read = api_.GetClipboardUnicode(wide);
  api_.ClipboardClose();
  if (!read) return false;
  text = Utf16ToUtf8(wide);
  return true;
}

bool IGraphicsWin::SetTextInClipboard(const char* text) {
  if (!api_.ClipboardOpen(HostMainWindow())) return false;
  api_.ClipboardEmpty();
  const bool nonEmpty = text && *text;
  if (nonEmpty) api_.SetClipboardUnicode(Utf8ToUtf16(text));
  api_.ClipboardClose();
  return nonEmpty;
}

// ---------------------------------------------------------------- platform fonts

std::unique_ptr<PlatformFont> IGraphicsWin::LoadPlatformFont(const char* fontId, const char* fontName,
                                                             std::int32_t style) {
  if (!fontId || !fontName) return nullptr;
  FontRequest request;
  request.face = std::string(fontName).substr(0, 31);
  std::string styleName = "Regular";
  if (style == 1) {
    request.weight = 700;
    styleName = "Bold";
  } else if (style == 2) {
    request.italic = true;
    styleName = "Italic";
  }
  if (!api_.FontFamilyExists(request.face.c_str())) return nullptr;
  Handle font = api_.MakeFont(request);
  if (!font) return nullptr;
  if (api_.FaceOfFont(font) != request.face) {
    api_.DeleteObject(font);
    return nullptr;
  }
  {
    std::lock_guard lock(Cache().lock);
    Cache().requests[fontId] = request;
  }
  return std::make_unique<Font>(api_, font, true, styleName);
}

std::unique_ptr<PlatformFont> IGraphicsWin::LoadPlatformFont(const char* fontId, const std::uint8_t* data,
                                                             std::size_t size) {
  if (!fontId || !data || size == 0 || size > 0x7FFFFFFF) return nullptr;
  std::scoped_lock locks(Registry().lock, Cache().lock);
  Handle memory = api_.AddFontMemResource(data, static_cast<std::uint32_t>(size));
  if (!memory) return nullptr;
  FontNaming naming;
  Handle font = nullptr;
  FontRequest request;
  if (ReadFontNaming(data, size, naming)) {
    request.face = naming.family.substr(0, 31);
    request.weight = naming.bold ? 700 : 400;
    request.italic = naming.italic;
    request.underline = naming.underline;
    font = api_.MakeFont(request);
    if (font && api_.FaceOfFont(font) != request.face) {
      api_.DeleteObject(font);
      font = nullptr;
    }
  }
  if (!font) {
    api_.RemoveFontMemResource(memory);
    return nullptr;
  }
  Handle& slot = Registry().memoryFonts[fontId];
  if (slot) api_.RemoveFontMemResource(slot);
  slot = memory;
  Cache().requests[fontId] = request;
  return std::make_unique<Font>(api_, font, false, std::string());
}

std::unique_ptr<PlatformFont> IGraphicsWin::LoadPlatformFont(const char* fontId, const char* fileName) {
  if (!fontId || !fileName) return nullptr;
  std::vector<std::uint8_t> bytes;
  std::string location;
  const ResourceLocation where = FindResourceLocation(fileName, "ttf", location);
  if (where == ResourceLocation::FilePath) {
    if (!api_.ReadWholeFile(location.c_str(), bytes)) return nullptr;
  } else if (!ReadResource(where, "ttf", location, bytes)) {
    return nullptr;
  }
  return LoadPlatformFont(fontId, bytes.data(), bytes.size());
}

}  // namespace fx::igraphics
