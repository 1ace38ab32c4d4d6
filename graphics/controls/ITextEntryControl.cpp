#include "graphics/controls/ITextEntryControl.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/KeyCodes.h"
#include "core/Utf16Conversion.h"
#include "graphics/IGraphics.h"

// stb_textedit edits UTF-16 units. The header part declares the state for
// that character type; the implementation below is bound to Editor.
#define STB_TEXTEDIT_CHARTYPE char16_t
#define STB_TEXTEDIT_UNDOSTATECOUNT 99
#define STB_TEXTEDIT_UNDOCHARCOUNT 999
#include <stb_textedit.h>

namespace fx::igraphics {

struct ITextEntryControl::Editor {
  ITextEntryControl* owner = nullptr;
  std::u16string text;
  std::vector<float> widths;  // one per UTF-16 unit, layout units
  STB_TexteditState state{};
};

namespace {

// Key codes handed to stb_textedit: typed characters are their code unit;
// edit keys carry a bit no character has.
constexpr int kKeyDown = 0x40000000;
constexpr int kKeyShift = 0x20000000;
constexpr std::size_t kMaxUnits = 1024;  // a value prompt never needs more

int TextLength(const ITextEntryControl::Editor* e) { return static_cast<int>(e->text.size()); }

float UnitWidth(const ITextEntryControl::Editor* e, int lineStart, int i) {
  const std::size_t index = static_cast<std::size_t>(lineStart + i);
  return index < e->widths.size() ? e->widths[index] : 0.0f;
}

void LayoutRow(StbTexteditRow* row, const ITextEntryControl::Editor* e, int start) {
  float width = 0.0f;
  for (std::size_t i = static_cast<std::size_t>(start); i < e->widths.size(); ++i) width += e->widths[i];
  row->x0 = 0.0f;
  row->x1 = width;
  row->baseline_y_delta = 1.0f;
  row->ymin = 0.0f;
  row->ymax = 1.0f;
  row->num_chars = TextLength(e) - start;
}

void DeleteUnits(ITextEntryControl::Editor* e, int at, int n) {
  if (at < 0 || n <= 0 || static_cast<std::size_t>(at) > e->text.size()) return;
  e->text.erase(static_cast<std::size_t>(at), static_cast<std::size_t>(n));
}

int InsertUnits(ITextEntryControl::Editor* e, int at, const char16_t* units, int n) {
  if (at < 0 || n <= 0 || static_cast<std::size_t>(at) > e->text.size()) return 0;
  if (e->text.size() + static_cast<std::size_t>(n) > kMaxUnits) return 0;
  e->text.insert(static_cast<std::size_t>(at), units, static_cast<std::size_t>(n));
  return 1;
}

int KeyToText(int key) { return (key & kKeyDown) ? -1 : key; }

}  // namespace
}  // namespace fx::igraphics

#define STB_TEXTEDIT_STRING fx::igraphics::ITextEntryControl::Editor
#define STB_TEXTEDIT_STRINGLEN(obj) fx::igraphics::TextLength(obj)
#define STB_TEXTEDIT_LAYOUTROW(r, obj, n) fx::igraphics::LayoutRow(r, obj, n)
#define STB_TEXTEDIT_GETWIDTH(obj, n, i) fx::igraphics::UnitWidth(obj, n, i)
#define STB_TEXTEDIT_KEYTOTEXT(k) fx::igraphics::KeyToText(k)
#define STB_TEXTEDIT_GETCHAR(obj, i) ((obj)->text[static_cast<std::size_t>(i)])
#define STB_TEXTEDIT_NEWLINE u'\n'
#define STB_TEXTEDIT_DELETECHARS(obj, i, n) fx::igraphics::DeleteUnits(obj, i, n)
#define STB_TEXTEDIT_INSERTCHARS(obj, i, c, n) fx::igraphics::InsertUnits(obj, i, c, n)
#define STB_TEXTEDIT_K_SHIFT 0x20000000
#define STB_TEXTEDIT_K_LEFT (0x40000000 | 37)
#define STB_TEXTEDIT_K_RIGHT (0x40000000 | 39)
#define STB_TEXTEDIT_K_UP (0x40000000 | 38)
#define STB_TEXTEDIT_K_DOWN (0x40000000 | 40)
#define STB_TEXTEDIT_K_PGUP (0x40000000 | 33)
#define STB_TEXTEDIT_K_PGDOWN (0x40000000 | 34)
#define STB_TEXTEDIT_K_LINESTART (0x40000000 | 36)
#define STB_TEXTEDIT_K_LINEEND (0x40000000 | 35)
#define STB_TEXTEDIT_K_TEXTSTART (0x40000000 | 0x1000 | 36)
#define STB_TEXTEDIT_K_TEXTEND (0x40000000 | 0x1000 | 35)
#define STB_TEXTEDIT_K_DELETE (0x40000000 | 46)
#define STB_TEXTEDIT_K_BACKSPACE (0x40000000 | 8)
#define STB_TEXTEDIT_K_UNDO (0x40000000 | 0x2000 | 90)
#define STB_TEXTEDIT_K_REDO (0x40000000 | 0x4000 | 90)
#define STB_TEXTEDIT_K_INSERT (0x40000000 | 45)
#define STB_TEXTEDIT_K_WORDLEFT (0x40000000 | 0x1000 | 37)
#define STB_TEXTEDIT_K_WORDRIGHT (0x40000000 | 0x1000 | 39)
#define STB_TEXTEDIT_IS_SPACE(ch) ((ch) == u' ' || (ch) == u'\t')
#define STB_TEXTEDIT_IMPLEMENTATION
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wold-style-cast"
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wconversion"
#endif
#include <stb_textedit.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace fx::igraphics {
namespace {

IPopupMenu& SharedEditMenu() {
  static IPopupMenu menu = [] {
    IPopupMenu m;
    m.AddItem("Cut");
    m.AddItem("Copy");
    m.AddItem("Paste");
    return m;
  }();
  return menu;
}

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

// The first code point of a UTF-8 text, 0 when there is none or it is malformed.
char32_t FirstCodePoint(const char* text) {
  const std::u16string units = fx::Utf8ToUtf16(text ? text : "");
  if (units.empty() || units[0] == u'\uFFFD') return 0;
  const char16_t u = units[0];
  if (u >= 0xD800 && u < 0xDC00 && units.size() > 1)
    return 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (static_cast<char32_t>(units[1]) - 0xDC00);
  return u;
}

}  // namespace

ITextEntryControl::ITextEntryControl() : IControl(IBounds{}), editor_(std::make_unique<Editor>()) {
  editor_->owner = this;
  stb_textedit_initialize_state(&editor_->state, 1);
  actionFunction_ = [](IControl& c) { static_cast<ITextEntryControl&>(c).StartCaretBlink(); };
}

ITextEntryControl::~ITextEntryControl() = default;

std::string ITextEntryControl::GetText() const { return fx::Utf16ToUtf8(editor_->text); }
std::int32_t ITextEntryControl::GetCursor() const { return editor_->state.cursor; }
std::int32_t ITextEntryControl::GetSelectionStart() const {
  return std::min(editor_->state.select_start, editor_->state.select_end);
}
std::int32_t ITextEntryControl::GetSelectionEnd() const {
  return std::max(editor_->state.select_start, editor_->state.select_end);
}

void ITextEntryControl::RecomputeGlyphWidths() {
  editor_->widths.assign(editor_->text.size(), 0.0f);
  if (!graphics_) return;
  for (std::size_t i = 0; i < editor_->text.size(); ++i) {
    const char16_t u = editor_->text[i];
    if (u >= 0xDC00 && u < 0xE000 && i > 0) continue;  // the pair's width sits on its first unit
    std::u16string one(1, u);
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < editor_->text.size()) one.push_back(editor_->text[i + 1]);
    IBounds extent;
    const float w = graphics_->MeasureString(style_, fx::Utf16ToUtf8(one).c_str(), extent);
    editor_->widths[i] = std::isfinite(w) && w > 0.0f ? w : 0.0f;
  }
}

float ITextEntryControl::GlyphXPosition(std::int32_t index) const {
  float total = 0.0f, before = 0.0f;
  for (std::size_t i = 0; i < editor_->widths.size(); ++i) {
    if (static_cast<std::int32_t>(i) < index) before += editor_->widths[i];
    total += editor_->widths[i];
  }
  float start = bounds_.left;
  if (style_.hAlign == ITextStyle::kCentre) start = bounds_.MW() - total / 2.0f;
  if (style_.hAlign == ITextStyle::kRight) start = bounds_.right - total;
  return start + before;
}

void ITextEntryControl::SelectAll() {
  editor_->state.select_start = 0;
  editor_->state.select_end = static_cast<int>(editor_->text.size());
  editor_->state.cursor = editor_->state.select_end;
}

void ITextEntryControl::StartCaretBlink() {
  drawCursor_ = true;
  SetAnimation(
      [](IControl& c) {
        auto& entry = static_cast<ITextEntryControl&>(c);
        const double progress = entry.GetAnimationProgress();
        if (progress > 0.5 && entry.drawCursor_) {
          entry.drawCursor_ = false;
          entry.MarkDirty(false, -1);
        }
        if (progress >= 1.0) entry.FinishAnimation();
      },
      kCaretBlinkMs);
}

void ITextEntryControl::CreateTextEntry(std::int32_t paramIdx, const ITextStyle& style, const IBounds& bounds,
                                        std::int32_t length, const char* text) {
  paramIdx_ = paramIdx;
  maxLength_ = length;
  bounds_ = bounds;
  targetBounds_ = bounds;
  mouseIsOver_ = false;
  OnBoundsChanged();
  style_ = style;
  style_.colour = style.entryText;  // the entry draws in its own text colour
  editor_->text = fx::Utf8ToUtf16(text ? text : "");
  if (editor_->text.size() > kMaxUnits) editor_->text.resize(kMaxUnits);
  stb_textedit_initialize_state(&editor_->state, 1);
  SelectAll();
  RecomputeGlyphWidths();
  MarkDirty(true, -1);
  editing_ = true;
}

void ITextEntryControl::CommitEdit() {
  editing_ = false;
  animationFunction_ = nullptr;
  const std::string text = GetText();
  mouseIsOver_ = false;
  bounds_ = {};
  targetBounds_ = {};
  OnBoundsChanged();
  if (!graphics_) return;
  graphics_->FinishTextEntry(text.c_str());
  graphics_->ForEachControl([](IControl& c) { c.MarkDirty(false, -1); });
}

void ITextEntryControl::DismissEdit() {
  editing_ = false;
  animationFunction_ = nullptr;
  mouseIsOver_ = false;
  bounds_ = {};
  targetBounds_ = {};
  OnBoundsChanged();
  if (graphics_) graphics_->CancelTextEntry();
}

bool ITextEntryControl::CharacterAllowed(char32_t c, const fx::IKeyPress& key) const {
  const fx::IParam* param = delegate_ && paramIdx_ >= 0 ? delegate_->GetParam(paramIdx_) : nullptr;
  if (!param) return true;
  const fx::ParamKind kind = param->GetKind();
  const bool real = kind == fx::ParamKind::Real;
  const bool whole = kind == fx::ParamKind::Boolean || kind == fx::ParamKind::Integer ||
                     kind == fx::ParamKind::Enumerated;
  if (!real && !whole) return true;
  if (IsDigit(c)) {
    if (key.vk >= keys::kNumpad0 && key.vk <= keys::kNumpad9) return true;  // numeric keypad
    if (key.vk >= keys::kDigit0 && key.vk <= keys::kDigit9) return !key.shift;  // main row without shift
    return key.vk == keys::kNone;  // a character with no key behind it
  }
  if (c == U'+' || c == U'-') return true;
  return real && c == U'.';
}

void ITextEntryControl::OnTextChange() {
  RecomputeGlyphWidths();
  MarkDirty(true, -1);
}

void ITextEntryControl::Copy() {
  if (!graphics_) return;
  const std::int32_t start = GetSelectionStart(), end = GetSelectionEnd();
  if (start == end) return;
  graphics_->SetTextInClipboard(
      fx::Utf16ToUtf8(editor_->text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)))
          .c_str());
}

void ITextEntryControl::Cut() {
  Copy();
  stb_textedit_cut(editor_.get(), &editor_->state);
}

void ITextEntryControl::Paste() {
  if (!graphics_) return;
  std::string text;
  if (!graphics_->GetTextFromClipboard(text)) return;
  std::u16string units;
  const fx::IKeyPress noKey{};
  for (char16_t u : fx::Utf8ToUtf16(text))
    if (CharacterAllowed(u, noKey)) units.push_back(u);
  if (!units.empty()) stb_textedit_paste(editor_.get(), &editor_->state, units.data(), static_cast<int>(units.size()));
}

bool ITextEntryControl::OnKeyPress(float, float, const fx::IKeyPress& key) {
  if (!editing_) return false;
  if (key.ctrl && key.vk >= keys::kLetterA && key.vk <= keys::kLetterZ) {
    switch (key.vk) {
      case keys::Letter('A'): SelectAll(); break;
      case keys::Letter('C'): Copy(); break;
      case keys::Letter('V'): Paste(); break;
      case keys::Letter('X'): Cut(); break;
      case keys::Letter('Z'):
        stb_textedit_key(editor_.get(), &editor_->state, key.shift ? STB_TEXTEDIT_K_REDO : STB_TEXTEDIT_K_UNDO);
        break;
      default: return false;
    }
    OnTextChange();
    return true;
  }
  int stbKey = 0;
  switch (key.vk) {
    case keys::kTab: return false;  // Tab moves focus elsewhere
    case keys::kReturn: CommitEdit(); return true;
    case keys::kEscape: DismissEdit(); return true;
    case keys::kBackspace: stbKey = STB_TEXTEDIT_K_BACKSPACE; break;
    case keys::kPageUp: stbKey = STB_TEXTEDIT_K_PGUP; break;
    case keys::kPageDown: stbKey = STB_TEXTEDIT_K_PGDOWN; break;
    case keys::kEnd: stbKey = STB_TEXTEDIT_K_LINEEND; break;
    case keys::kHome: stbKey = STB_TEXTEDIT_K_LINESTART; break;
    case keys::kLeft: stbKey = STB_TEXTEDIT_K_LEFT; break;
    case keys::kUp: stbKey = STB_TEXTEDIT_K_UP; break;
    case keys::kRight: stbKey = STB_TEXTEDIT_K_RIGHT; break;
    case keys::kDown: stbKey = STB_TEXTEDIT_K_DOWN; break;
    case keys::kDelete: stbKey = STB_TEXTEDIT_K_DELETE; break;
    default: break;
  }
  if (stbKey != 0) {
    // Control moves by word, or to either end of the text.
    if (key.ctrl && key.vk == keys::kLeft) stbKey = STB_TEXTEDIT_K_WORDLEFT;
    if (key.ctrl && key.vk == keys::kRight) stbKey = STB_TEXTEDIT_K_WORDRIGHT;
    if (key.ctrl && key.vk == keys::kHome) stbKey = STB_TEXTEDIT_K_TEXTSTART;
    if (key.ctrl && key.vk == keys::kEnd) stbKey = STB_TEXTEDIT_K_TEXTEND;
    if (key.shift) stbKey |= kKeyShift;
    stb_textedit_key(editor_.get(), &editor_->state, stbKey);
    OnTextChange();
    return true;
  }
  const char32_t c = FirstCodePoint(key.utf8);
  if (c < 0x20 || c == 0x7F) return false;  // no printable character
  if (!CharacterAllowed(c, key)) return true;  // swallowed, nothing changes
  if (c >= 0x10000) {
    const char32_t v = c - 0x10000;
    const char16_t pair[2] = {static_cast<char16_t>(0xD800 + (v >> 10)), static_cast<char16_t>(0xDC00 + (v & 0x3FF))};
    stb_textedit_paste(editor_.get(), &editor_->state, pair, 2);
  } else {
    stb_textedit_key(editor_.get(), &editor_->state, static_cast<int>(c));
  }
  OnTextChange();
  return true;
}

void ITextEntryControl::OnMousePress(float x, float y, const IMouseMod& mod) {
  if (!bounds_.Contains(x, y)) {
    CommitEdit();
    return;
  }
  if (mod.L) {
    stb_textedit_click(editor_.get(), &editor_->state, x - GlyphXPosition(0), y - bounds_.top);
    selecting_ = true;
    MarkDirty(false, -1);
  } else if (mod.R && graphics_) {
    graphics_->CreatePopupMenu(*this, SharedEditMenu(), IBounds{x, y, x, y}, -1, true);
  }
}

void ITextEntryControl::OnMouseRelease(float x, float y, const IMouseMod&) {
  // Which press this release ends is remembered from the press: a button-up
  // no longer has its button down.
  const bool selecting = selecting_;
  selecting_ = false;
  if (!editing_ || !selecting) return;
  stb_textedit_drag(editor_.get(), &editor_->state, x - GlyphXPosition(0), y - bounds_.top);
  MarkDirty(true, -1);
}

void ITextEntryControl::OnMouseDragged(float x, float y, float, float, const IMouseMod&) {
  if (!editing_) return;
  stb_textedit_drag(editor_.get(), &editor_->state, x - GlyphXPosition(0), y - bounds_.top);
  MarkDirty(false, -1);
}

void ITextEntryControl::OnMouseDoubleClick(float, float, const IMouseMod&) {
  SelectAll();
  MarkDirty(false, -1);
}

void ITextEntryControl::OnContextChoice(std::int32_t itemIndex) {
  switch (itemIndex) {
    case 0: Cut(); break;
    case 1: Copy(); break;
    case 2: Paste(); break;
    default: return;
  }
  OnTextChange();
}

void ITextEntryControl::Paint(IGraphics& graphics) {
  graphics.FillRectangle(style_.entryBackground, bounds_, &blend_);
  const float top = bounds_.MH() - style_.size / 2.0f - style_.size / 10.0f;
  const float bottom = bounds_.MH() + style_.size / 2.0f + style_.size / 10.0f;
  const std::int32_t start = GetSelectionStart(), end = GetSelectionEnd();
  if (start != end) {
    const IBlendMode selection{blend_.type, 0.2f};
    graphics.FillRectangle(style_.entryText, IBounds{GlyphXPosition(start), top, GlyphXPosition(end), bottom},
                           &selection);
  }
  const std::string text = GetText();
  graphics.DrawString(style_, text.c_str(), bounds_, &blend_);
  if (editing_ && start == end && drawCursor_) {
    const float x = GlyphXPosition(editor_->state.cursor);
    graphics.FillRectangle(style_.entryText, IBounds{std::round(x - 1.0f), top, std::round(x), bottom}, &blend_);
  }
}

}  // namespace fx::igraphics
