#!/usr/bin/env bash
# Another maker's editor in `ombrisk-host edit` under a private X server: it
# opens, its picture is not black, a drag of the real pointer on one of its
# controls comes out as a gesture (begin-edit, automate lines, end-edit) and
# the host ends cleanly.
# Usage: edit-peer-linux.sh HOST PLUGIN X Y OUTDIR   (X, Y: a control in the window)
set -uo pipefail
if [ -z "${OMBRISK_E2E_INNER:-}" ]; then
  export OMBRISK_E2E_INNER=1
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$@"
fi
host="$1"; plugin="$2"; cx="$3"; cy="$4"; out="$(realpath -m "$5")"
mkdir -p "$out"
log="$out/host.log"
: >"$log"
failures=0
check() { if eval "$2"; then echo "ok   $1"; else echo "FAIL $1 ($2)"; failures=$((failures + 1)); fi; }

coproc HOST { "$host" edit "$plugin" --stdin 2>"$out/host.err"; }
host_pid=$HOST_PID
trap 'kill $host_pid 2>/dev/null' EXIT
reply=""
wait_for() {
  reply=""
  local line
  while IFS= read -r -t 30 line <&"${HOST[0]}"; do
    echo "$line" >>"$log"
    if [[ "$line" =~ $1 ]]; then reply="$line"; return 0; fi
  done
  return 1
}

wait_for "^(editor 0 window|ombrisk-host)"
read -r _ _ _ win _ size _ at _ _ <<<"$reply"
check "the editor opens ($reply)" '[[ "${win:-}" == 0x* ]]'
wx=${at%,*}; wy=${at#*,}
sleep 1.5
echo "screenshot $out/opened.png" >&"${HOST[1]}"
wait_for "^(screenshot|error) "
check "its picture is not black ($reply)" '[[ "$reply" == screenshot* ]]'
xdotool mousemove "$((wx + cx))" "$((wy + cy))"; sleep 0.2
xdotool mousedown 1; sleep 0.2
for step in 1 2 3 4 5; do xdotool mousemove_relative -- 0 -8; sleep 0.05; done
xdotool mouseup 1; sleep 0.5
echo "quit" >&"${HOST[1]}"
wait_for "^bye"
check "a drag on a control is a gesture: begin, values, end" \
  'awk "/^begin-edit / {b=NR; i=\$2} /^automate / {if (\$2==i) n++} /^end-edit / {if (\$2==i) e=NR} END {exit (b && n>=2 && e>b) ? 0 : 1}" "$log"'
wait "$host_pid"; rc=$?
trap - EXIT
check "the host closes the editor and ends cleanly ($rc)" '[ "$rc" = 0 ] && [ "$reply" = bye ]'
echo "peer editor: $failures failed"
[ "$failures" = 0 ]
