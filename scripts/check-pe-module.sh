#!/usr/bin/env bash
# Checks a built Windows plug-in module: its PE format, that it exports
# VSTPluginMain and main and nothing else, and that it imports only DLLs that
# come with Windows (the mingw runtime must be linked in).
# Usage: check-pe-module.sh MODULE pe32|pe32+
set -euo pipefail
module="$1"; kind="$2"
dump="$(x86_64-w64-mingw32-objdump -p "$module")"
fail() { echo "check-pe-module: $module: $*" >&2; exit 1; }

case "$kind" in
  pe32) grep -q "file format pei-i386" <<<"$dump" || fail "not a 32-bit PE image" ;;
  pe32+) grep -q "file format pei-x86-64" <<<"$dump" || fail "not a 64-bit PE image" ;;
  *) fail "unknown kind $kind" ;;
esac

exports="$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | tail -n +2 | grep -oE '\] [A-Za-z_][A-Za-z0-9_@]*$' | sed 's/^\] //' | LC_ALL=C sort | tr '\n' ' ')"
[ "$exports" = "VSTPluginMain main " ] || fail "exports are '$exports', expected 'VSTPluginMain main'"

allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|msvcrt|OPENGL32|SHELL32|COMDLG32|OLE32|OLEAUT32|WININET|COMCTL32|IMM32|SHLWAPI|UxTheme|dwmapi|gdiplus|bcrypt|WINMM|VERSION|SHCORE)\.dll$'
while read -r dll; do
  grep -qiE "$allowed" <<<"$dll" || fail "imports $dll, which does not come with Windows"
done < <(grep "DLL Name:" <<<"$dump" | awk '{print $3}')
echo "check-pe-module: $module: $kind, exports VSTPluginMain and main, system imports only"
