#!/usr/bin/env bash
# An installed tree holds what a desktop needs, each file as in the sources: the program, the help
# with every picture, the desktop entry, the icon in every size drawn, and the metainfo with its
# release version filled in. Usage: check_files.sh <prefix>
set -uo pipefail
prefix=$1 src=$(cd "$(dirname "$0")/../.." && pwd) id=org.quorvane.Quorvane problems=0
# same <installed file> [source file]
same() { [ -f "$1" ] && { [ -z "${2:-}" ] || cmp -s "$1" "$2"; } || { echo "missing or different: $1"; problems=1; }; }

[ -x "$prefix/bin/quorvane" ] || { echo "no program in $prefix/bin"; problems=1; }
# Installed stripped: without its debugging information the program is a fraction of its size.
size=$(stat -c %s "$prefix/bin/quorvane" 2>/dev/null || echo 0)
[ "$size" -lt 4000000 ] || { echo "the installed program is $size bytes: not stripped"; problems=1; }
for f in "$src"/ui/help/*; do same "$prefix/share/quorvane/${f##*/}" "$f"; done
[ ! -e "$prefix/bin/Quorvane Help.html" ] || { echo "the help is in bin/ as well"; problems=1; }
same "$prefix/share/applications/$id.desktop" "$src/desktop/$id.desktop"
for png in "$src"/ui/icons/quorvane-*.png; do
    n=${png##*-} && n=${n%.png} && same "$prefix/share/icons/hicolor/${n}x$n/apps/$id.png" "$png"
done
same "$prefix/share/icons/hicolor/scalable/apps/$id.svg" "$src/ui/icons/quorvane.svg"
metainfo=$prefix/share/metainfo/$id.metainfo.xml
version=$(sed -nE 's/^project\(Quorvane VERSION ([0-9.]+).*/\1/p' "$src/CMakeLists.txt")
grep -q "<release version=\"$version\"" "$metainfo" && ! grep -q '@[A-Za-z_]*@' "$metainfo" ||
    { echo "the metainfo has no release $version, or placeholders left"; problems=1; }
# Every screenshot the metainfo names is a picture scripts/screenshots makes for the guide.
shots=$(sed -nE 's|.*<image>https://quorvane.org/screenshots/([^<]+)</image>.*|\1|p' "$metainfo")
[ -n "$shots" ] || { echo "the metainfo names no screenshots"; problems=1; }
for shot in $shots; do [ -f "$src/ui/help/$shot" ] || { echo "no picture $shot in ui/help"; problems=1; }; done
exit $problems
