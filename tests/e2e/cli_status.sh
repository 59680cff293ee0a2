#!/usr/bin/env bash
# Runs the built host simulator and command-line twin against each other in a temporary folder.
set -euo pipefail
host=$1
cli=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export STRIPSTOCK_REGISTRY="$dir/registry.reg"
mkdir -p "$dir/program"

# No diary yet: the start is refused with status 3.
set +e
"$cli" --program-dir "$dir/program" status >/dev/null 2>"$dir/err"
status=$?
set -e
[ "$status" -eq 3 ] || { echo "expected refusal, got $status"; exit 1; }
grep -q "Dieses Programm erfordert ein in VELLIND geöffnetes Tagebuch" "$dir/err"

"$host" init --diary "$dir/meier.vld" --first Erika --name Mustermann --password quomba
"$host" reading --method 25 --date 1.2.2010 --count 3
"$cli" --program-dir "$dir/program" status > "$dir/out"
grep -qx "DiaryDbPath=$dir/meier.vld" "$dir/out"
grep -qx "StripDbPath=$dir/program/MEIER.VLT" "$dir/out"
grep -qx "Meter=0	Ascensia DEX, BREEZE	1" "$dir/out"
[ -f "$dir/program/MEIER.VLT" ]

"$cli" --program-dir "$dir/program" consumption > "$dir/out"
grep -qx "Tagebuchinhaber:	Erika Mustermann" "$dir/out"
grep -qx "Insgesamt	3	n/a	" "$dir/out"

"$host" forget
set +e
"$cli" --program-dir "$dir/program" status >/dev/null 2>&1
status=$?
set -e
[ "$status" -eq 3 ] || { echo "expected refusal after forget, got $status"; exit 1; }
echo "e2e: 1 passed, 0 failed"
