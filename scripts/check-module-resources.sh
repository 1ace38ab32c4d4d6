#!/usr/bin/env bash
# Checks that a Linux plug-in module carries its compiled resource table: the
# table symbol (hidden, so only in the static symbol table) and each
# resource's quoted upper-case name.
# Usage: check-module-resources.sh MODULE RESOURCE_FILE...
set -euo pipefail
module="$1"; shift
fail() { echo "check-module-resources: $module: $*" >&2; exit 1; }
# nm's whole output first: grep -q stopping early would fail nm under pipefail.
symbols="$(nm "$module")"
grep -qE ' [dDrR] ombrisk_module_resource_table$' <<<"$symbols" || fail "no resource table"
for file in "$@"; do
  name="\"$(basename "$file" | tr '[:lower:]' '[:upper:]')\""
  grep -qaF -- "$name" "$module" || fail "no resource named $name"
done
echo "check-module-resources: $module: table with $# resources"
