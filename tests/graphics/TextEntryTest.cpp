// The in-editor text entry: opening over a prompted control, the character
// filter, Enter and Escape, clipboard keys, the mouse, UTF-8 at the edges
// and the caret blink.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "graphics/controls/ITextEntryControl.h"
#include "tests/graphics/FakeEditorDelegate.h"
#include "tests/graphics/RecordingGraphics.h"

namespace {

using namespace fx::igraphics;
using testing_support::FakeEditorDelegate;
using testing_support::RecordingGraphics;

class Field : public IControl {
 public:
  explicit Field(const IBounds& b, int param) : IControl(b, param) { promptDisabled_ = false; }
  void Paint(IGraphics&) override {}
  void OnTextEntered(const char* text, std::int32_t) override { entered = text; }
  std::string entered = "(none)";
};

fx::IKeyPress TextKey(int vk, const char* text = "", bool shift = false, bool ctrl = false) {
  fx::IKeyPress k;
  k.vk = vk;
  std::snprintf(k.utf8, sizeof k.utf8, "%s", text);
  k.shift = shift;
  k.ctrl = ctrl;
  return k;
}

class TextEntry : public ::testing::Test {
 protected:
  TextEntry() {
    graphics.AddTextEntryControl();
    entry = graphics.GetTextEntryControl();
    field = static_cast<Field*>(graphics.AddControl(std::make_unique<Field>(IBounds{100, 100, 200, 140}, 0)));
    free = static_cast<Field*>(graphics.AddControl(std::make_unique<Field>(IBounds{300, 100, 400, 140}, -1)));
  }
  void Open(IControl& c) {
    graphics.PromptForValue(c, IBounds{130, 112, 170, 128}, 0);
    ASSERT_TRUE(entry->EditInProgress());
  }
  bool Type(const fx::IKeyPress& k) { return graphics.OnKeyDown(0, 0, k); }

  FakeEditorDelegate delegate;
  RecordingGraphics graphics{delegate, 500, 300, 1.0f};
  ITextEntryControl* entry = nullptr;
  Field* field = nullptr;
  Field* free = nullptr;
};

TEST_F(TextEntry, OpensOverThePromptWithTheValueSelected) {
  delegate.GetParam(0)->SetNormalizedValue(0.25);
  Open(*field);
  EXPECT_EQ(entry->GetBounds(), (IBounds{130, 112, 170, 128}));
  EXPECT_FALSE(entry->GetText().empty());
  EXPECT_EQ(entry->GetText().substr(0, 4), "0.25");
  EXPECT_EQ(entry->GetSelectionStart(), 0);
  EXPECT_EQ(entry->GetSelectionEnd(), static_cast<std::int32_t>(entry->GetText().size()));
  EXPECT_EQ(entry->GetTextStyle().colour, field->GetTextStyle().entryText);
  EXPECT_TRUE(graphics.Calls("CreatePlatformTextEntry").empty()) << "the shared entry replaces the native one";
  EXPECT_EQ(graphics.FindControlAt(450, 250, false, false), entry) << "it takes every pointer while editing";
}

TEST_F(TextEntry, EnterSendsTheParsedValueAndCloses) {
  Open(*field);
  EXPECT_TRUE(Type(TextKey('0', "0")));  // replaces the selection
  EXPECT_TRUE(Type(TextKey(0xBE, ".")));
  EXPECT_TRUE(Type(TextKey('5', "5")));
  EXPECT_EQ(entry->GetText(), "0.5");
  delegate.events.clear();
  EXPECT_TRUE(Type(TextKey(13)));
  EXPECT_FALSE(entry->EditInProgress());
  EXPECT_EQ(entry->GetBounds(), IBounds{});
  EXPECT_EQ(field->GetValue(), 0.5);
  EXPECT_EQ(delegate.events, (std::vector<std::string>{"Begin(0)", "Set(0,0.500000)", "End(0)"}))
      << "a typed value is a gesture";
  EXPECT_EQ(graphics.GetControlBeingEdited(), nullptr);
  EXPECT_TRUE(free->IsDirty()) << "every control repaints where the entry was";
}

TEST_F(TextEntry, EscapeSendsNothing) {
  Open(*field);
  Type(TextKey('9', "9"));
  delegate.events.clear();
  free->MarkClean();
  EXPECT_TRUE(Type(TextKey(27)));
  EXPECT_FALSE(entry->EditInProgress());
  EXPECT_EQ(entry->GetBounds(), IBounds{});
  EXPECT_EQ(graphics.GetControlBeingEdited(), nullptr);
  EXPECT_EQ(field->GetValue(), 0.0);
  EXPECT_TRUE(delegate.events.empty());
  EXPECT_TRUE(free->IsDirty());
  EXPECT_FALSE(Type(TextKey('5', "5"))) << "closed: keys are no longer its";
}

TEST_F(TextEntry, RealParametersAcceptDigitsSignsAndThePointOnly) {
  Open(*field);
  Type(TextKey(46));  // Delete the selected text
  EXPECT_EQ(entry->GetText(), "");
  EXPECT_TRUE(Type(TextKey('A', "a"))) << "a rejected character is swallowed";
  Type(TextKey('5', "%", true));   // shift on the main row: not a digit
  Type(TextKey('5', "5", true));   // nor with a layout that gives the digit under shift
  Type(TextKey(103, "7", true));   // the keypad always counts
  Type(TextKey(0xBB, "+"));
  Type(TextKey(0xBD, "-"));
  Type(TextKey(0xBE, "."));
  Type(TextKey(0, "3"));           // a character with no key behind it
  Type(TextKey(32, " "));
  Type(TextKey(0, "\xC3\xA9"));    // é
  EXPECT_EQ(entry->GetText(), "7+-.3");
  // With no parameter every character goes in, UTF-8 included.
  Type(TextKey(27));
  graphics.PromptForValue(*free, free->GetBounds(), 0);
  EXPECT_FALSE(entry->EditInProgress()) << "a control without a parameter has no prompt";
  entry->CreateTextEntry(-1, ITextStyle{}, IBounds{0, 0, 50, 20}, 7, "");
  EXPECT_TRUE(entry->CharacterAllowed(U'x', TextKey('X', "x")));
  Type(TextKey('X', "x"));
  Type(TextKey(0, "\xC3\xA9"));
  EXPECT_EQ(entry->GetText(), "x\xC3\xA9");
  Type(TextKey(27));
}

TEST_F(TextEntry, EditKeysMoveDeleteAndTabIsNotTheirs) {
  Open(*field);
  Type(TextKey(46));
  for (const char* c : {"1", "2", "3", "4"}) Type(TextKey(c[0], c));
  Type(TextKey(37));  // left
  Type(TextKey(37));
  Type(TextKey(8));   // backspace removes the 2
  EXPECT_EQ(entry->GetText(), "134");
  Type(TextKey(36));  // home
  Type(TextKey(46));  // delete
  EXPECT_EQ(entry->GetText(), "34");
  Type(TextKey(35, "", true));  // shift+end selects to the end
  EXPECT_EQ(entry->GetSelectionEnd() - entry->GetSelectionStart(), 2);
  // With no parameter spaces go in, and control moves by word.
  Type(TextKey(27));
  entry->CreateTextEntry(-1, ITextStyle{}, IBounds{0, 0, 50, 20}, 7, "ab cd ef");
  Type(TextKey(36));
  Type(TextKey(39, "", false, true));
  EXPECT_EQ(entry->GetCursor(), 3);
  Type(TextKey(39, "", true, true));
  EXPECT_EQ(entry->GetSelectionStart(), 3);
  EXPECT_EQ(entry->GetSelectionEnd(), 6);
  Type(TextKey(37, "", false, true));
  Type(TextKey(37, "", false, true));
  EXPECT_EQ(entry->GetCursor(), 0);
  bool keyFunctionSawTab = false;
  graphics.SetKeyFunction([&](const fx::IKeyPress& k, bool) { return keyFunctionSawTab = k.vk == 9; });
  EXPECT_TRUE(Type(TextKey(9)));
  EXPECT_TRUE(keyFunctionSawTab);
  EXPECT_TRUE(entry->EditInProgress());
}

TEST_F(TextEntry, ControlLettersUseTheClipboardAndUndo) {
  Open(*field);
  Type(TextKey(46));
  for (const char* c : {"1", "2", "5"}) Type(TextKey(c[0], c));
  EXPECT_TRUE(Type(TextKey('A', "", false, true)));
  EXPECT_TRUE(Type(TextKey('C', "", false, true)));
  EXPECT_EQ(graphics.clipboard, "125");
  EXPECT_TRUE(Type(TextKey('X', "", false, true)));
  EXPECT_EQ(entry->GetText(), "");
  graphics.clipboard = "9a.8";
  EXPECT_TRUE(Type(TextKey('V', "", false, true)));
  EXPECT_EQ(entry->GetText(), "9.8") << "pasted text is filtered too";
  EXPECT_TRUE(Type(TextKey('Z', "", false, true)));
  EXPECT_EQ(entry->GetText(), "");
  EXPECT_TRUE(Type(TextKey('Z', "", true, true)));
  EXPECT_EQ(entry->GetText(), "9.8");
  EXPECT_FALSE(Type(TextKey('Q', "", false, true))) << "other control letters are not handled";
}

TEST_F(TextEntry, APressOutsideCommitsAndTheMouseSelects) {
  Open(*field);
  Type(TextKey(46));
  for (const char* c : {"1", "2", "3", "4"}) Type(TextKey(c[0], c));
  // Size 14 at 0.5 x size per character: 7 units each, 28 in all, centred
  // at 150, so the text starts at 136.
  IMouseInfo p;
  p.x = 145, p.y = 120, p.ms.L = true;
  graphics.DispatchMouseDown({p});
  EXPECT_EQ(entry->GetCursor(), 1);
  p.x = 165, p.dx = 20;
  graphics.DispatchMouseDrag({p});
  graphics.DispatchMouseUp({p});
  EXPECT_EQ(entry->GetSelectionStart(), 1);
  EXPECT_EQ(entry->GetSelectionEnd(), 4);
  graphics.DispatchMouseDoubleClick(p);
  EXPECT_EQ(entry->GetSelectionEnd(), 4);
  EXPECT_EQ(entry->GetSelectionStart(), 0);
  graphics.DispatchMouseUp({p});
  delegate.events.clear();
  p.x = 450;
  graphics.DispatchMouseDown({p});
  graphics.DispatchMouseUp({p});
  EXPECT_FALSE(entry->EditInProgress());
  EXPECT_EQ(delegate.events, (std::vector<std::string>{"Begin(0)", "Set(0,1.000000)", "End(0)"}))
      << "1234 clamps to the maximum, sent as a gesture";
}

TEST_F(TextEntry, ALeftButtonUpWithoutFlagsEndsTheSelection) {
  Open(*field);
  Type(TextKey(46));
  for (const char* c : {"1", "2", "3", "4"}) Type(TextKey(c[0], c));
  IMouseInfo p;
  p.x = 145, p.y = 120, p.ms.L = true;
  graphics.DispatchMouseDown({p});
  // A button-up carries no button flag (the left button is no longer down).
  p.x = 165, p.ms.L = false;
  graphics.DispatchMouseUp({p});
  EXPECT_EQ(entry->GetSelectionStart(), 1);
  EXPECT_EQ(entry->GetSelectionEnd(), 4);
  // A right press opens the menu; its release leaves the selection alone.
  graphics.menuChoice = -1;
  p.x = 140, p.ms.R = true;
  graphics.DispatchMouseDown({p});
  p.ms.R = false;
  graphics.DispatchMouseUp({p});
  EXPECT_EQ(entry->GetSelectionStart(), 1);
  EXPECT_EQ(entry->GetSelectionEnd(), 4);
}

TEST_F(TextEntry, TheRightButtonOffersCutCopyPaste) {
  Open(*field);
  graphics.menuChoice = 1;  // Copy
  IMouseInfo p;
  p.x = 150, p.y = 120, p.ms.R = true;
  graphics.OnKeyDown(0, 0, TextKey(0, ""));
  entry->OnMousePress(p.x, p.y, p.ms);
  EXPECT_EQ(graphics.Calls("CreatePlatformPopupMenu"), (std::vector<std::string>{"CreatePlatformPopupMenu(3,150,120,150,120)"}));
  EXPECT_EQ(graphics.clipboard, entry->GetText());
}

TEST_F(TextEntry, PaintDrawsBackgroundSelectionAndText) {
  Open(*field);
  graphics.ClearLog();
  entry->Paint(graphics);
  const auto fills = graphics.Calls("PathFillWith");
  ASSERT_EQ(fills.size(), 2u);
  EXPECT_EQ(fills[0], "PathFillWith(0,255,255,255,255,0,1)");
  EXPECT_EQ(fills[1], "PathFillWith(0,255,0,0,0,0,0.2)") << "the selection at a fifth";
  EXPECT_EQ(graphics.Calls("DrawString").size(), 1u);
  Type(TextKey(35));  // end: no selection, the caret shows
  graphics.ClearLog();
  entry->Paint(graphics);
  EXPECT_EQ(graphics.Calls("PathFillWith").size(), 2u);
  EXPECT_TRUE(entry->CaretVisible());
}

TEST_F(TextEntry, TheCaretBlinksOffAfterHalfASecondAndTheAnimationEnds) {
  Open(*field);
  std::vector<IBounds> areas;
  graphics.CollectDirtyAreas(areas);
  EXPECT_TRUE(entry->CaretVisible());
  EXPECT_TRUE(entry->NeedsRedraw()) << "the running blink keeps it redrawing";
  std::this_thread::sleep_for(std::chrono::milliseconds(1050));
  graphics.CollectDirtyAreas(areas);
  EXPECT_FALSE(entry->CaretVisible());
  EXPECT_FALSE(entry->NeedsRedraw());
  Type(TextKey(36));  // a key restarts it
  EXPECT_TRUE(entry->CaretVisible());
  EXPECT_TRUE(entry->NeedsRedraw());
}

}  // namespace
