#include <windows.h>

#include <io.h>

#include <cstdio>

#include "host/Platform.h"

namespace ombrisk::host {
namespace {

class WinLibrary final : public SharedLibrary {
 public:
  explicit WinLibrary(HMODULE module) : module_(module) {}
  ~WinLibrary() override { FreeLibrary(module_); }
  void* FindSymbol(const char* name) const override {
    // FARPROC and data pointers have the same size on every Windows target.
    return reinterpret_cast<void*>(GetProcAddress(module_, name));
  }

 private:
  HMODULE module_;
};

std::wstring Widen(const std::string& text) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), n);
  wide.resize(static_cast<std::size_t>(n - 1));
  return wide;
}

}  // namespace

std::unique_ptr<SharedLibrary> SharedLibrary::Open(const std::string& path, std::string& error) {
  const std::wstring wide = Widen(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    error = "no such file: " + path;
    return nullptr;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    error = "not a regular file: " + path;
    return nullptr;
  }
  // No "missing DLL" dialog boxes in a command-line tool.
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE module = LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  const DWORD code = GetLastError();
  SetErrorMode(previous);
  if (module == nullptr) {
    char reason[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, reason,
                   sizeof reason - 1, nullptr);
    std::string text = reason;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    error = "cannot load " + path + ": " + (text.empty() ? "error " + std::to_string(code) : text);
    return nullptr;
  }
  return std::make_unique<WinLibrary>(module);
}

bool RunIsolated(const std::function<int()>& probe, int& result, std::string&) {
  result = probe();
  return true;
}

bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

const char* PluginSuffix() { return ".dll"; }

}  // namespace ombrisk::host
