#!/usr/bin/env bash
# Runs the built host simulator and command-line twin against each other in a temporary folder.
set -euo pipefail
host=$1
cli=$2
jet=$3  # the folder of the Jet diary fixtures
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

# A strip kind for the registered meter, a prescription and a faulty measurement: every view
# shows them.
"$host" module ULTRA --type 0 --parameter "a|b|c|25" --desc "OneTouch Ultra"
"$cli" --program-dir "$dir/program" strip-meters > "$dir/out"
grep -qx "25	OneTouch Ultra" "$dir/out"
"$cli" --program-dir "$dir/program" strip-save --name "Ultra Streifen" --select 0
"$cli" --program-dir "$dir/program" new-prescription --amount 50 --date 1.2.2010 --strip 0
"$cli" --program-dir "$dir/program" faulty --count 2 --date 2.2.2010 --meter 11
"$cli" --program-dir "$dir/program" consumption > "$dir/out"
grep -qx "Berechnung beginnt ab:	01.02.2010" "$dir/out"
grep -qx "Insgesamt	3	45	01.02.2010" "$dir/out"
grep -qx "davon			" "$dir/out"
grep -qx "Ultra Streifen	3	max.45	01.02.2010" "$dir/out"
"$cli" --program-dir "$dir/program" prescription-tree > "$dir/out"
[ "$(cat "$dir/out")" = "$(printf 'K0\tAlle\nK1\tUltra Streifen')" ]
"$cli" --program-dir "$dir/program" ledger > "$dir/out"
grep -qx "2	02.02.2010  Fehlmessung: 2x   OneTouch Ultra" "$dir/out"
grep -qx "1	01.02.2010  Bezug: 50x   Ultra Streifen" "$dir/out"
set +e
"$cli" --program-dir "$dir/program" new-prescription --amount 0 --date 1.2.2010 2>"$dir/err"
status=$?
set -e
[ "$status" -eq 1 ] || { echo "expected a refused amount, got $status"; exit 1; }
grep -qx "Bitte geben Sie die Menge der Teststreifen ein !" "$dir/err"

"$host" forget
set +e
"$cli" --program-dir "$dir/program" status >/dev/null 2>&1
status=$?
set -e
[ "$status" -eq 3 ] || { echo "expected refusal after forget, got $status"; exit 1; }
# The host's real Jet 3 and Jet 4 diaries, opened read-only: the owner and all 2000 readings
# show, and the file stays as it was.
for fixture in diary-jet3.mdb diary-jet4.mdb; do
  mkdir -p "$dir/jet"
  cp "$jet/$fixture" "$dir/jet/MUELLER.VLD"
  before=$(sha256sum <"$dir/jet/MUELLER.VLD")
  "$host" use-diary "$dir/jet/MUELLER.VLD" >/dev/null
  "$cli" --program-dir "$dir/jet" status > "$dir/out"
  grep -qx "DiaryDbPath=$dir/jet/MUELLER.VLD" "$dir/out" || { echo "$fixture: wrong diary"; exit 1; }
  "$cli" --program-dir "$dir/jet" consumption > "$dir/out"
  grep -qx "Tagebuchinhaber:	Erika Müller" "$dir/out" || { echo "$fixture: no owner"; exit 1; }
  grep -qx "Insgesamt	2000	n/a	" "$dir/out" || { echo "$fixture: wrong count"; exit 1; }
  [ "$(sha256sum <"$dir/jet/MUELLER.VLD")" = "$before" ] || { echo "$fixture changed"; exit 1; }
  rm -rf "$dir/jet"
done
echo "e2e: 1 passed, 0 failed"
