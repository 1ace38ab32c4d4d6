#include "platform/win/MessagePump.h"

#include <windows.h>

namespace fx {
namespace {

void DispatchPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

bool MessagePump::RunUntil(const std::function<bool()>& done, std::uint32_t timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!done()) {
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return done();
    const DWORD wait = static_cast<DWORD>(end - now < 10 ? end - now : 10);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
    DispatchPending();
  }
  return true;
}

void MessagePump::RunFor(std::uint32_t periodMs) {
  RunUntil([] { return false; }, periodMs);
}

}  // namespace fx
