#include <dlfcn.h>
#include <signal.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/Platform.h"

namespace ombrisk::host {
namespace {

class PosixLibrary final : public SharedLibrary {
 public:
  explicit PosixLibrary(void* handle) : handle_(handle) {}
  ~PosixLibrary() override { dlclose(handle_); }
  void* FindSymbol(const char* name) const override { return dlsym(handle_, name); }

 private:
  void* handle_;
};

}  // namespace

std::unique_ptr<SharedLibrary> SharedLibrary::Open(const std::string& path, std::string& error) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    error = "no such file: " + path;
    return nullptr;
  }
  if (!S_ISREG(info.st_mode)) {
    error = "not a regular file: " + path;
    return nullptr;
  }
  // dlopen treats a name without a slash as a search-path lookup; we mean the file.
  const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    error = "cannot load " + path + ": " + (reason != nullptr ? reason : "unknown error");
    return nullptr;
  }
  return std::make_unique<PosixLibrary>(handle);
}

bool RunIsolated(const std::function<int()>& probe, int& result, std::string& what) {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) {  // no isolation to be had: take the risk
    result = probe();
    return true;
  }
  if (child == 0) {
    alarm(60);  // a hung probe ends as a crash would
    _exit(probe() & 0x7F);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) {
      what = "could not be watched";
      return false;
    }
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) < 126) {
    result = WEXITSTATUS(status);
    return true;
  }
  if (WIFSIGNALED(status)) {
    const int sig = WTERMSIG(status);
    what = sig == SIGALRM ? "hangs" : std::string("crashes (") + strsignal(sig) + ")";
  } else {
    what = "exits the process with status " + std::to_string(WEXITSTATUS(status));
  }
  return false;
}

bool StderrIsTerminal() { return isatty(STDERR_FILENO) != 0; }

const char* PluginSuffix() { return ".so"; }

}  // namespace ombrisk::host
