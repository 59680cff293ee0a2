#!/usr/bin/env bash
# Unpacks the built Debian package into a throw-away root and runs the installed programs there:
# the version, and the command-line twin on a test diary without any host.
set -euo pipefail
build=$1
version=$2
host=$3
shopt -s nullglob
debs=("$build"/stripstock_"$version"_*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "expected one stripstock_${version}_*.deb in $build"; exit 1; }
deb=${debs[0]}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
root="$dir/root"
dpkg -x "$deb" "$root"
cli="$root/usr/bin/stripstock-cli"

# What the package holds, and what it leaves out.
for file in usr/bin/stripstock usr/bin/stripstock-cli \
            usr/share/applications/org.stripstock.StripStock.desktop \
            usr/share/icons/hicolor/scalable/apps/org.stripstock.StripStock.svg \
            usr/share/metainfo/org.stripstock.StripStock.metainfo.xml \
            usr/share/man/man1/stripstock.1.gz usr/share/man/man1/stripstock-cli.1.gz \
            usr/share/doc/stripstock/copyright usr/share/doc/stripstock/changelog.Debian.gz; do
  [ -f "$root/$file" ] || { echo "missing in the package: $file"; exit 1; }
done
[ ! -e "$root/usr/bin/stripstock-host" ] || { echo "the host simulator is packaged"; exit 1; }
# Dependencies come from dpkg-shlibdeps.
[[ "$(dpkg-deb -f "$deb" Depends)" == *libsqlite3-0* ]] || { echo "no computed dependencies"; exit 1; }
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ]

upstream=${version%-*}
[ "$("$cli" --version)" = "stripstock-cli $upstream" ]
[ "$("$root/usr/bin/stripstock" --version)" = "stripstock $upstream" ]
zcat "$root/usr/share/man/man1/stripstock-cli.1.gz" > "$dir/page"
grep -qF '\-\-diary' "$dir/page" || { echo "the manual page lacks --diary"; exit 1; }

# A diary made by the host simulator in a registry of its own; the installed program sees no
# host at all and keeps its companion in the user's data folder.
STRIPSTOCK_REGISTRY="$dir/host.reg" "$host" init --diary "$dir/MEIER.VLD" \
  --first Erika --name Mustermann --password quomba
STRIPSTOCK_REGISTRY="$dir/host.reg" "$host" reading --method 25 --date 1.2.2010 --count 3
export STRIPSTOCK_REGISTRY="$dir/registry.reg"
export XDG_DATA_HOME="$dir/share"
"$cli" --diary "$dir/MEIER.VLD" consumption > "$dir/out"
grep -qx "Tagebuchinhaber:	Erika Mustermann" "$dir/out"
grep -qx "Insgesamt	3	n/a	" "$dir/out"
[ -f "$dir/share/stripstock/MEIER.VLT" ]

set +e
"$cli" --diary "$dir/fehlt.vld" consumption > /dev/null 2> "$dir/err"
status=$?
set -e
[ "$status" -eq 3 ] || { echo "expected refusal, got $status"; exit 1; }
[ "$(sed -n 1p "$dir/err")" = "Dieses Programm erfordert ein in VELLIND geöffnetes Tagebuch" ]
[ "$(sed -n 2p "$dir/err")" = "Die Datei ist nicht vorhanden: $dir/fehlt.vld" ]
echo "installed package works: $(basename "$deb")"
