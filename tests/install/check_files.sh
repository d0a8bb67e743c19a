#!/usr/bin/env bash
# Checks that an installed tree holds what a desktop needs: the program, the help document with
# every picture beside it, the desktop entry, the icon in every size drawn, and the metainfo with
# its release version filled in. Compares against the sources, so a new picture or icon size is
# checked as soon as it is added. Usage: check_files.sh <prefix>
set -euo pipefail

prefix=$1
src=$(cd "$(dirname "$0")/../.." && pwd)
id=org.quorvane.Quorvane
problems=0

problem() {
    echo "$*"
    problems=$((problems + 1))
}

# same <installed file> <source file>
same() {
    if [ ! -f "$1" ]; then
        problem "missing: $1"
    elif [ -n "${2:-}" ] && ! cmp -s "$1" "$2"; then
        problem "differs from ${2#"$src"/}: $1"
    fi
}

[ -x "$prefix/bin/quorvane" ] || problem "missing or not executable: $prefix/bin/quorvane"

[ -f "$src/ui/help/Quorvane Help.html" ] || problem "no help document in the sources"
while IFS= read -r -d '' f; do
    same "$prefix/share/quorvane/${f#"$src"/ui/help/}" "$f"
done < <(find "$src/ui/help" -type f -print0)
[ ! -e "$prefix/bin/Quorvane Help.html" ] || problem "the help is installed into bin/ as well"

same "$prefix/share/applications/$id.desktop" "$src/desktop/$id.desktop"

sizes=0
for png in "$src"/ui/icons/quorvane-*.png; do
    n=${png##*-}
    n=${n%.png}
    same "$prefix/share/icons/hicolor/${n}x${n}/apps/$id.png" "$png"
    sizes=$((sizes + 1))
done
[ "$sizes" -gt 0 ] || problem "no icon sizes in the sources"
same "$prefix/share/icons/hicolor/scalable/apps/$id.svg" "$src/ui/icons/quorvane.svg"

metainfo="$prefix/share/metainfo/$id.metainfo.xml"
same "$metainfo"
if [ -f "$metainfo" ]; then
    version=$(sed -nE 's/^project\(Quorvane VERSION ([0-9.]+).*/\1/p' "$src/CMakeLists.txt")
    grep -q "<release version=\"$version\"" "$metainfo" || problem "the metainfo has no release $version"
    ! grep -n '@[A-Za-z_]*@' "$metainfo" || problem "the metainfo has placeholders left"
fi

[ "$problems" -eq 0 ]
