#pragma once
// A Win32 layer without a system: windows, DCs, GL contexts, timers, menus
// and fonts are records, every call is remembered, and failures can be
// switched on. Window creation sends WM_CREATE to the creation target as
// the system does.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/win/WinConstants.h"
#include "platform/win/Win32Api.h"

namespace fx::win::test {

class FakeWin32Api : public Win32Api {
 public:
  struct Window {
    std::string className;
    Handle parent = nullptr;
    Rect rect;  // screen coordinates
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    MessageTarget* userData = nullptr;
    std::u16string text;
    bool subclassed = false;
  };
  struct MenuItem {
    std::uint32_t flags = 0;
    std::uintptr_t item = 0;
    std::string text;
  };
  struct Posted {
    Handle window;
    std::uint32_t msg;
    std::uintptr_t wParam;
  };

  ~FakeWin32Api() override {
    for (auto& t : threads_)
      if (t.second.joinable()) t.second.join();
  }

  // ---- switches and inputs
  bool failCreateWindow = false;
  bool failPixelFormat = false;
  bool failGlContext = false;
  bool failGlLoader = false;
  bool windows8 = false;
  bool vblankFunctions = false;
  bool adapterOpens = true;
  std::uint32_t dpi = 96;  // 0: no GetDpiForWindow
  std::uintptr_t extraInfo = 0;
  std::map<std::int32_t, std::int16_t> keyStates;
  std::int32_t asciiCount = 1;
  char asciiChar = 'a';
  Point cursor{0, 0};
  std::intptr_t menuCommand = -1;  // chosen command id; -1: the menu is dismissed
  std::int32_t digitizer = 0;
  std::u16string editText;
  std::int32_t updateRegionKind = 1;
  std::vector<Rect> updateRects;
  std::set<std::string> installedFamilies;
  std::set<std::string> memoryFamilies;  // families AddFontMemResource makes known
  std::vector<std::uint8_t> fontFile;
  std::atomic<std::uint32_t> ticks{0};

  // ---- records
  std::map<Handle, Window> windows;
  std::set<std::string> classes;
  std::int32_t registrations = 0, unregistrations = 0;
  std::set<Handle> glContexts;
  std::set<Handle> dcs;
  Handle currentDC = nullptr, currentContext = nullptr;
  std::map<std::pair<Handle, std::uintptr_t>, std::uint32_t> timers;
  std::vector<Rect> invalidated;
  std::vector<Rect> validated;
  std::int32_t updates = 0;
  std::int32_t swaps = 0;
  std::int32_t defaultProcCalls = 0;
  std::vector<Posted> posted;
  std::mutex postedLock;
  std::vector<Posted> sent;
  std::map<Handle, std::vector<MenuItem>> menus;
  std::int32_t menusDestroyed = 0;
  Point menuPoint;
  Handle capture = nullptr, focus = nullptr;
  std::int32_t cursorShows = 0;
  std::vector<Point> cursorMoves;
  std::uint32_t cursorShape = 0;
  std::set<Handle> fonts;
  std::map<Handle, FontRequest> fontRequests;
  std::set<Handle> memoryFonts;
  std::vector<std::string> tooltipTexts;
  std::int32_t sleeps = 0;
  std::int32_t adapterOpenTries = 0;

  std::size_t PostedCount() {
    std::lock_guard lock(postedLock);
    return posted.size();
  }
  std::vector<Posted> PostedCopy() {
    std::lock_guard lock(postedLock);
    return posted;
  }
  std::size_t LiveWindows() const { return windows.size(); }

  // ---- window class and windows
  bool RegisterWindowClass(const char* name, std::uint32_t, Handle) override {
    ++registrations;
    return classes.insert(name).second;
  }
  bool UnregisterWindowClass(const char* name, Handle) override {
    ++unregistrations;
    return classes.erase(name) == 1;
  }
  Handle MakeWindow(std::uint32_t exStyle, const char* className, const char*, std::uint32_t style, Rect r,
                    Handle parent, std::intptr_t, Handle, MessageTarget* createParam) override {
    if (failCreateWindow || !classes.count(className)) return nullptr;
    Handle h = NewHandle();
    Window w;
    w.className = className;
    w.parent = parent;
    const Rect origin = parent && windows.count(parent) ? windows[parent].rect : Rect{};
    w.rect = {origin.left + r.left, origin.top + r.top, origin.left + r.right, origin.top + r.bottom};
    w.style = style;
    w.exStyle = exStyle;
    windows[h] = w;
    if (createParam) createParam->WindowMessage(h, kWmCreate, 0, 0);
    return h;
  }
  Handle MakeWindowW(std::uint32_t exStyle, const char* className, const std::u16string& text, std::uint32_t style,
                     Rect r, Handle parent, std::intptr_t, Handle) override {
    if (failCreateWindow) return nullptr;
    Handle h = NewHandle();
    Window w;
    w.className = className;
    w.parent = parent;
    w.rect = r;
    w.style = style;
    w.exStyle = exStyle;
    w.text = text;
    windows[h] = w;
    return h;
  }
  // A top-level window standing for the host's.
  Handle MakeHostWindow(Rect r) {
    Handle h = NewHandle();
    Window w;
    w.className = "Host";
    w.rect = r;
    windows[h] = w;
    return h;
  }
  bool DestroyWindow(Handle window) override {
    for (auto it = timers.begin(); it != timers.end();) it = it->first.first == window ? timers.erase(it) : ++it;
    return windows.erase(window) == 1;
  }
  bool IsWindow(Handle window) override { return windows.count(window) == 1; }
  void SetUserData(Handle window, MessageTarget* target) override {
    if (windows.count(window)) windows[window].userData = target;
  }
  MessageTarget* GetUserData(Handle window) override {
    return windows.count(window) ? windows[window].userData : nullptr;
  }
  std::intptr_t DefaultProc(Handle, std::uint32_t, std::uintptr_t, std::intptr_t) override {
    ++defaultProcCalls;
    return 0;
  }
  std::intptr_t Send(Handle window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t) override {
    sent.push_back({window, msg, wParam});
    return 0;
  }
  bool Post(Handle window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t) override {
    std::lock_guard lock(postedLock);
    posted.push_back({window, msg, wParam});
    return true;
  }
  std::intptr_t PeekCommand(Handle) override {
    const std::intptr_t c = pendingCommand_;
    pendingCommand_ = -1;
    return c;
  }
  Handle GetParent(Handle window) override { return windows.count(window) ? windows[window].parent : nullptr; }
  Handle GetRootAncestor(Handle window) override {
    Handle w = window;
    while (GetParent(w)) w = GetParent(w);
    return w;
  }
  bool GetWindowRect(Handle window, Rect& rect) override {
    if (!windows.count(window)) return false;
    rect = windows[window].rect;
    return true;
  }
  bool GetClientRect(Handle window, Rect& rect) override {
    if (!windows.count(window)) return false;
    rect = {0, 0, windows[window].rect.W(), windows[window].rect.H()};
    return true;
  }
  std::uint32_t GetStyle(Handle window) override { return windows.count(window) ? windows[window].style : 0; }
  std::uint32_t GetExStyle(Handle window) override { return windows.count(window) ? windows[window].exStyle : 0; }
  bool SetWindowPos(Handle window, Handle, Rect r, std::uint32_t flags) override {
    if (!windows.count(window)) return false;
    Rect& w = windows[window].rect;
    if ((flags & kSwpNoMove) == 0) {
      w.left = r.left;
      w.top = r.top;
    }
    w.right = w.left + r.W();
    w.bottom = w.top + r.H();
    return true;
  }
  bool ClientToScreen(Handle window, Point& p) override {
    if (!windows.count(window)) return false;
    p.x += windows[window].rect.left;
    p.y += windows[window].rect.top;
    return true;
  }
  bool ScreenToClient(Handle window, Point& p) override {
    if (!windows.count(window)) return false;
    p.x -= windows[window].rect.left;
    p.y -= windows[window].rect.top;
    return true;
  }
  Handle SetFocus(Handle window) override {
    Handle old = focus;
    focus = window;
    return old;
  }
  Handle GetFocus() override { return focus; }
  Handle SetCapture(Handle window) override {
    Handle old = capture;
    capture = window;
    return old;
  }
  bool ReleaseCapture() override {
    capture = nullptr;
    return true;
  }
  Handle GetCapture() override { return capture; }
  bool InvalidateRect(Handle, const Rect* rect, bool) override {
    invalidated.push_back(rect ? *rect : Rect{-1, -1, -1, -1});
    return true;
  }
  bool ValidateRect(Handle, const Rect* rect) override {
    validated.push_back(rect ? *rect : Rect{-1, -1, -1, -1});
    return true;
  }
  bool UpdateWindow(Handle) override {
    ++updates;
    return true;
  }
  std::uint32_t GetDpiForWindow(Handle) override { return dpi; }
  bool IsWindows8OrLater() override { return windows8; }
  bool SetTimer(Handle window, std::uintptr_t id, std::uint32_t ms) override {
    timers[{window, id}] = ms;
    return true;
  }
  bool KillTimer(Handle window, std::uintptr_t id) override { return timers.erase({window, id}) == 1; }
  Handle FindProcessWindowByClass(const char* className) override {
    for (auto& w : windows)
      if (!w.second.parent && w.second.className == className) return w.first;
    return nullptr;
  }

  // ---- painting
  Handle GetDC(Handle window) override {
    if (!windows.count(window)) return nullptr;
    Handle dc = NewHandle();
    dcs.insert(dc);
    dcOwner_[dc] = window;
    return dc;
  }
  void ReleaseDC(Handle, Handle dc) override { dcs.erase(dc); }
  std::int32_t GetUpdateRegion(Handle, Handle& region) override {
    region = NewHandle();
    regions_.insert(region);
    return updateRegionKind;
  }
  bool GetRegionRects(Handle, std::uint32_t maxBytes, std::vector<Rect>& rects) override {
    if (32 + 16 * updateRects.size() > maxBytes) return false;
    rects = updateRects;
    return true;
  }
  bool GetRegionBox(Handle, Rect& box) override {
    if (updateRects.empty()) return false;
    box = updateRects[0];
    for (const Rect& r : updateRects)
      box = {std::min(box.left, r.left), std::min(box.top, r.top), std::max(box.right, r.right),
             std::max(box.bottom, r.bottom)};
    return true;
  }
  bool DeleteObject(Handle object) override {
    if (regions_.erase(object)) return true;
    fontRequests.erase(object);
    return fonts.erase(object) == 1;
  }
  std::size_t LiveRegions() const { return regions_.size(); }
  Handle BeginPaint(Handle) override { return NewHandle(); }
  void EndPaint(Handle, Handle) override {}

  // ---- WGL
  // The formats a DC offers (index i + 1 at i) and the system's choice
  // among them; by default one double-buffered format that exchanges.
  std::vector<PixelFormatInfo> pixelFormats{{kPixelFormatFlags | kPfdSwapExchange, 0, 32, 8, 24, 8}};
  std::int32_t chosenFormat = 1;
  PixelFormatInfo wantedFormat;
  std::int32_t setFormat = 0;
  std::int32_t ChoosePixelFormat(Handle dc, const PixelFormatInfo& wanted) override {
    wantedFormat = wanted;
    return !failPixelFormat && dcs.count(dc) ? chosenFormat : 0;
  }
  std::int32_t DescribePixelFormat(Handle dc, std::int32_t index, PixelFormatInfo& format) override {
    if (!dcs.count(dc)) return 0;
    ++formatDescriptions;
    if (index >= 1 && index <= static_cast<std::int32_t>(pixelFormats.size()))
      format = pixelFormats[static_cast<std::size_t>(index - 1)];
    return static_cast<std::int32_t>(pixelFormats.size());
  }
  std::int32_t formatDescriptions = 0;
  // WGL_ARB_pixel_format's swap method of each format (absent: the
  // extension is not offered) and the contexts current at each query.
  std::map<std::int32_t, std::int32_t> arbSwapMethods;
  std::vector<Handle> swapMethodQueries;
  // Each list asked for, by the context current after it (restored: the caller's).
  std::vector<Handle> swapMethodLists;
  bool SwapMethods(Handle dc, std::vector<std::int32_t>& methods) override {
    methods.clear();
    swapMethodLists.push_back(currentContext);
    if (!dcs.count(dc) || arbSwapMethods.empty()) return false;
    for (std::int32_t i = 1; i <= static_cast<std::int32_t>(pixelFormats.size()); ++i) {
      const auto it = arbSwapMethods.find(i);
      methods.push_back(it == arbSwapMethods.end() ? 0 : it->second);
    }
    return true;
  }
  std::int32_t SwapMethodOf(Handle dc, std::int32_t index) override {
    swapMethodQueries.push_back(currentContext);
    if (!dcs.count(dc)) return 0;
    const auto it = arbSwapMethods.find(index);
    return it == arbSwapMethods.end() ? 0 : it->second;
  }
  bool SetPixelFormat(Handle dc, std::int32_t index) override {
    if (!dcs.count(dc) || index < 1 || index > static_cast<std::int32_t>(pixelFormats.size())) return false;
    setFormat = index;
    return true;
  }
  Handle CreateGLContext(Handle) override {
    if (failGlContext) return nullptr;
    Handle c = NewHandle();
    glContexts.insert(c);
    return c;
  }
  // wglShareLists as asked ({existing, fresh}); refused with failShareLists,
  // or where `fresh` was already made current (it would have objects).
  bool ShareLists(Handle existing, Handle fresh) override {
    shareLists.push_back({existing, fresh});
    return !failShareLists && glContexts.count(existing) && glContexts.count(fresh) && !everCurrent.count(fresh);
  }
  std::vector<std::pair<Handle, Handle>> shareLists;
  bool failShareLists = false;
  std::set<Handle> everCurrent;
  bool DeleteGLContext(Handle context) override { return glContexts.erase(context) == 1; }
  bool MakeCurrent(Handle dc, Handle context) override {
    if (context && !glContexts.count(context) && context != hostContext) return false;
    if (context && context != hostContext) ++makeCurrentCalls, everCurrent.insert(context);
    currentDC = dc;
    currentContext = context;
    return true;
  }
  Handle hostContext = reinterpret_cast<Handle>(0x7000);
  std::size_t makeCurrentCalls = 0;  // ours made current
  Handle GetCurrentDC() override { return currentDC; }
  Handle GetCurrentContext() override { return currentContext; }
  bool Swap(Handle) override {
    ++swaps;
    hintsOfSwaps.push_back(hints);
    hints.clear();
    return true;
  }
  // GL_WIN_swap_hint: offered or not; the hints of each swap, in order
  // ({x, y, w, h} each), and the context current at each lookup.
  bool swapHintOffered = false;
  std::vector<std::vector<std::int32_t>> hints;
  std::vector<std::vector<std::vector<std::int32_t>>> hintsOfSwaps;
  std::vector<Handle> hintLookups;
  void* SwapHintFunction() override {
    hintLookups.push_back(currentContext);
    return swapHintOffered ? reinterpret_cast<void*>(&hints) : nullptr;
  }
  void AddSwapHint(void* function, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) override {
    if (function == &hints) hints.push_back({x, y, w, h});
  }
  bool OpenGlLoader() override { return !failGlLoader; }
  void CloseGlLoader() override {}
  // No GL here: every lookup fails, so no renderer is made.
  fx::vg::GlProcLoader GlLoader() override {
    return [](const char*, void*) -> fx::vg::GlProc { return nullptr; };
  }

  // ---- input
  std::uintptr_t MessageExtraInfo() override { return extraInfo; }
  std::int16_t KeyState(std::int32_t vk) override { return keyStates.count(vk) ? keyStates[vk] : 0; }
  std::int32_t KeyToAscii(std::uint32_t, std::uint32_t, char out[2]) override {
    out[0] = asciiChar;
    out[1] = 0;
    return asciiCount;
  }
  bool TrackMouse(Handle, std::uint32_t flags) override {
    trackFlags.push_back(flags);
    return true;
  }
  std::vector<std::uint32_t> trackFlags;
  void AcceptFiles(Handle window, bool accept) override { acceptsFiles[window] = accept; }
  std::map<Handle, bool> acceptsFiles;
  bool DragQueryFirst(Handle, std::string& file, Point& point) override {
    file = dropFile;
    point = dropPoint;
    return !dropFile.empty();
  }
  std::string dropFile;
  Point dropPoint;
  bool GetTouchInputs(Handle, std::uint32_t count, std::vector<TouchInput>& inputs) override {
    if (count != touches.size()) return false;
    inputs = touches;
    return true;
  }
  std::vector<TouchInput> touches;
  void CloseTouchInput(Handle) override { ++touchClosed; }
  std::int32_t touchClosed = 0;
  bool RegisterTouch(Handle) override {
    ++touchRegistered;
    return true;
  }
  std::int32_t touchRegistered = 0;
  std::int32_t GetDigitizerStatus() override { return digitizer; }
  bool CursorPos(Point& p) override {
    p = cursor;
    return true;
  }
  bool MoveCursorTo(Point p) override {
    cursor = p;
    cursorMoves.push_back(p);
    return true;
  }
  std::int32_t ShowCursorCount(bool show) override { return cursorShows += show ? 1 : -1; }
  void SetCursorShape(std::uint32_t id) override { cursorShape = id; }

  // ---- menus
  Handle CreatePopupMenu() override {
    Handle m = NewHandle();
    menus[m];
    return m;
  }
  bool AddMenuItem(Handle menu, std::uint32_t flags, std::uintptr_t item, const char* text) override {
    menus[menu].push_back({flags, item, text ? text : ""});
    return true;
  }
  bool DestroyMenu(Handle menu) override {
    ++menusDestroyed;
    return menus.count(menu) == 1;
  }
  bool TrackPopupMenu(Handle menu, std::uint32_t, Point p, Handle) override {
    trackedMenu = menu;
    menuPoint = p;
    if (menuCommand < 0) return false;
    pendingCommand_ = menuCommand;
    return true;
  }
  Handle trackedMenu = nullptr;

  // ---- edit window
  bool SubclassEdit(Handle edit, MessageTarget*) override {
    if (!windows.count(edit)) return false;
    windows[edit].subclassed = true;
    return true;
  }
  void UnsubclassEdit(Handle edit) override {
    if (windows.count(edit)) windows[edit].subclassed = false;
  }
  std::intptr_t CallPreviousEditProc(Handle, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t) override {
    previousEditCalls.push_back({nullptr, msg, wParam});
    return 0;
  }
  std::vector<Posted> previousEditCalls;
  std::int32_t QueriedKeyDown(std::intptr_t lParam) override { return static_cast<std::int32_t>(lParam); }
  std::u16string GetEditText(Handle, std::int32_t maxUnits) override {
    return editText.substr(0, static_cast<std::size_t>(maxUnits));
  }
  void SetEditRect(Handle, Rect rect) override { editRect = rect; }
  Rect editRect;
  void SetColourBrush(Handle, std::uint32_t background, std::uint32_t text) override {
    brushColours = {background, text};
  }
  std::vector<std::uint32_t> brushColours;
  std::intptr_t StockDCBrush() override { return 0x5151; }

  // ---- tooltips
  Handle CreateTooltip(Handle owner, Handle) override {
    if (!windows.count(owner)) return nullptr;
    Handle t = NewHandle();
    Window w;
    w.className = "tooltips_class32";
    windows[t] = w;
    return t;
  }
  void SetTooltipText(Handle, Handle, const char* text) override { tooltipTexts.push_back(text ? text : "<none>"); }

  // ---- fonts
  Handle MakeFont(const FontRequest& request) override {
    Handle f = NewHandle();
    fonts.insert(f);
    fontRequests[f] = request;
    return f;
  }
  bool GetFontRequest(Handle font, FontRequest& request) override {
    if (!fontRequests.count(font)) return false;
    request = fontRequests[font];
    return true;
  }
  bool FontFamilyExists(const char* face) override {
    return installedFamilies.count(face) || memoryFamilies.count(face);
  }
  // The system substitutes a default face for an unknown one.
  std::string FaceOfFont(Handle font) override {
    if (!fontRequests.count(font)) return "";
    const std::string& face = fontRequests[font].face;
    return FontFamilyExists(face.c_str()) ? face : "Tahoma";
  }
  Handle AddFontMemResource(const void*, std::uint32_t) override {
    if (failMemoryFont) return nullptr;
    Handle h = NewHandle();
    memoryFonts.insert(h);
    return h;
  }
  bool failMemoryFont = false;
  void RemoveFontMemResource(Handle handle) override { memoryFonts.erase(handle); }
  std::int64_t FontData(Handle font, std::uint32_t table, std::vector<std::uint8_t>* data) override {
    if (!fonts.count(font) || fontFile.empty()) return -1;
    if (table != 0 && table != fontDataTable) return -1;
    if (data) *data = fontFile;
    return static_cast<std::int64_t>(fontFile.size());
  }
  std::uint32_t fontDataTable = 0;
  bool ReadWholeFile(const char*, std::vector<std::uint8_t>&) override { return false; }

  // ---- services
  std::int32_t ShowMessageBox(Handle owner, const char* text, const char*, std::uint32_t type) override {
    messageBoxes.push_back({owner, text, type});
    return messageBoxAnswer;
  }
  struct Box {
    Handle owner;
    std::string text;
    std::uint32_t type;
  };
  std::vector<Box> messageBoxes;
  std::int32_t messageBoxAnswer = 1;
  bool FileDialog(Handle, bool save, const std::u16string& filter, const std::u16string& defExt,
                  const std::u16string& dir, std::u16string& fileName) override {
    lastFilter = filter;
    lastDefExt = defExt;
    lastDir = dir;
    lastSave = save;
    if (dialogAnswer.empty()) return false;
    fileName = dialogAnswer;
    return true;
  }
  std::u16string lastFilter, lastDefExt, lastDir, dialogAnswer;
  bool lastSave = false;
  bool BrowseForFolder(Handle, std::string& path) override {
    path = folderAnswer;
    return !folderAnswer.empty();
  }
  std::string folderAnswer;
  bool ChooseColour(Handle, std::uint32_t& rgb, std::uint32_t custom[16], const char*) override {
    customSeen = custom;
    custom[0] = rgb;  // what the user left in the first custom slot
    if (colourAnswer == 0xFFFFFFFF) return false;
    rgb = colourAnswer;
    return true;
  }
  std::uint32_t* customSeen = nullptr;
  std::uint32_t colourAnswer = 0xFFFFFFFF;
  bool InternetConnected() override { return connected; }
  bool connected = true;
  std::intptr_t ShellOpen(Handle, const std::u16string& file, const std::u16string& args,
                          const std::u16string& dir) override {
    shellCalls.push_back({file, args, dir});
    return shellResult;
  }
  std::vector<std::vector<std::u16string>> shellCalls;
  std::intptr_t shellResult = 42;
  std::u16string SystemDirectory() override { return u"C:\\windows\\system32"; }
  bool ClipboardHasUnicode() override { return !clipboard.empty(); }
  bool ClipboardOpen(Handle) override { return clipboardOpens; }
  bool clipboardOpens = true;
  void ClipboardClose() override {}
  bool ClipboardEmpty() override {
    clipboard.clear();
    return true;
  }
  bool GetClipboardUnicode(std::u16string& text) override {
    text = clipboard;
    return true;
  }
  bool SetClipboardUnicode(const std::u16string& text) override {
    clipboard = text;
    return true;
  }
  std::u16string clipboard;

  // ---- threads: real ones, so that the pacing loop runs as it would
  Handle StartThread(ThreadFunction function, void* argument, bool) override {
    Handle h = NewHandle();
    threads_[h] = std::thread(function, argument);
    return h;
  }
  // joinTimesOut: the thread is left running (the destructor joins it), as a
  // real join that ran out of time would.
  std::atomic<bool> joinTimesOut{false};
  std::atomic<bool> holdVblank{false};  // WaitForVblank blocks while set
  bool JoinThread(Handle thread, std::uint32_t) override {
    auto it = threads_.find(thread);
    if (it == threads_.end() || joinTimesOut) return false;
    it->second.join();
    threads_.erase(it);
    return true;
  }
  std::size_t LiveThreads() const { return threads_.size(); }
  void SleepFor(std::uint32_t ms) override {
    ++sleeps;
    ticks += ms;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  std::uint32_t TickCount() override { return ticks.load(); }
  bool LoadVblank() override { return vblankFunctions; }
  void UnloadVblank() override {}
  bool OpenAdapter(Handle, VblankAdapter& adapter) override {
    ++adapterOpenTries;
    adapter = {7, 1};
    return adapterOpens;
  }
  bool WaitForVblank(const VblankAdapter&) override {
    while (holdVblank) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ticks += 16;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
  }
  void CloseAdapter(const VblankAdapter&) override {}

 private:
  Handle NewHandle() { return reinterpret_cast<Handle>(next_++ * 16); }
  std::uintptr_t next_ = 1;
  std::intptr_t pendingCommand_ = -1;
  std::map<Handle, Handle> dcOwner_;
  std::set<Handle> regions_;
  std::map<Handle, std::thread> threads_;
};

}  // namespace fx::win::test
