// The few operating-system services the host needs, behind a neutral interface:
// loading a shared library and asking whether stderr is a terminal.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace ombrisk::host {

class SharedLibrary {
 public:
  // Null and a one-line reason in `error` when the file cannot be loaded.
  static std::unique_ptr<SharedLibrary> Open(const std::string& path, std::string& error);

  SharedLibrary() = default;
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;
  virtual ~SharedLibrary() = default;

  // Address of an exported function, or null.
  virtual void* FindSymbol(const char* name) const = 0;
};

bool StderrIsTerminal();

// Runs `probe` where a crash cannot take the caller down (a child process on
// POSIX). True if it returned, with its result (0..125) in `result`; false and
// what happened otherwise. Without process isolation (Windows) the probe runs
// in place, and a crash is the caller's crash.
bool RunIsolated(const std::function<int()>& probe, int& result, std::string& what);

// Name of the library file suffix of this platform (".so" or ".dll").
const char* PluginSuffix();

}  // namespace ombrisk::host
