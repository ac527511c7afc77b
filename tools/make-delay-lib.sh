#!/usr/bin/env bash
# Makes an import library whose functions load their DLL on the first call
# instead of at process start (the toolchain's delay-load helper does the
# loading). The export list is read from the toolchain's own import library.
# Usage: make-delay-lib.sh TRIPLE NAME DLL OUTPUT   (NAME: wininet for libwininet.a)
set -euo pipefail
triple=$1 name=$2 dll=$3 out=$4
lib=/usr/$triple/lib/lib$name.a
def=$out.def
{
    echo "LIBRARY \"$dll\""
    echo "EXPORTS"
    # 32-bit symbols carry one more leading underscore and their @N suffix,
    # which -k keeps for linking and drops from the name looked up at run time.
    if [ "$triple" = i686-w64-mingw32 ]; then
        "$triple-nm" "$lib" | sed -n 's/^[0-9a-f]* I __imp__\(.*\)$/\1/p'
    else
        "$triple-nm" "$lib" | sed -n 's/^[0-9a-f]* I __imp_\(.*\)$/\1/p'
    fi | sort -u
} > "$def"
# Written in place (its symbols are named after the file); removed again if
# dlltool fails, so that a half-made library is never taken for a finished one.
"$triple-dlltool" -k --input-def "$def" --output-delaylib "$out" --dllname "$dll" || {
    rm -f "$out"
    exit 1
}
