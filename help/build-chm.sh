#!/bin/sh
# Compiles the help project into a .chm.
#
#   build-chm.sh [--in-place] CHMCMD STAGE OUTPUT PROJECT.hhp FILE...
#
# The sources are UTF-8; HTML Help reads a Japanese help file in its code
# page, so every text file is converted to Shift-JIS (code page 932) into the
# folder STAGE, the text-popup file with CRLF line ends.
#
# chmcmd writes the context map ([ALIAS]/[MAP]) with the absolute path of the
# project folder in front of each file name, so the map ids would name pages
# that do not exist inside the .chm. Run from a root directory that is the
# project folder itself, the names come out as "/page.html", which is the
# page's path inside the file. STAGE is therefore laid out as a small root
# file system holding chmcmd and the few libraries it loads, and chmcmd runs
# there under chroot (as root directly, otherwise in a user namespace).
#
# --in-place runs chmcmd in STAGE without chroot, for the test that shows the
# help check catches absolute paths in the context map.
set -eu

chroot_build=1
if [ "${1:-}" = "--in-place" ]; then
    chroot_build=0
    shift
fi
if [ $# -lt 4 ]; then
    echo "usage: build-chm.sh [--in-place] CHMCMD STAGE OUTPUT PROJECT.hhp FILE..." >&2
    exit 2
fi
chmcmd=$1
stage=$2
output=$3
project=$4
shift 3

rm -rf "$stage"
mkdir -p "$stage"

for file in "$@"; do
    name=$(basename "$file")
    case "$name" in
    *.txt)
        iconv -f UTF-8 -t CP932 "$file" | sed 's/\r*$/\r/' >"$stage/$name"
        ;;
    *.html | *.hhc | *.hhk | *.hhp | *.css)
        iconv -f UTF-8 -t CP932 "$file" >"$stage/$name"
        ;;
    *)
        cp "$file" "$stage/$name"
        ;;
    esac
done

# Copies a file of the host into the same place under STAGE.
copy_into_stage() {
    mkdir -p "$stage$(dirname "$1")"
    cp -L "$1" "$stage$1"
}

project_name=$(basename "$project")
log="$stage.log"
if [ "$chroot_build" -eq 1 ]; then
    tool=$(readlink -f "$(command -v "$chmcmd")")
    copy_into_stage "$tool"
    # The libraries chmcmd is linked with, and the loader.
    for lib in $(ldd "$tool" | sed -n 's/.*=> \(\/[^ ]*\).*/\1/p; s/^[[:space:]]*\(\/[^ ]*\) (0x.*/\1/p'); do
        copy_into_stage "$lib"
    done
    # Its run-time library loads the threads library and, for its string
    # conversions, the iconv module for UTF-16.
    libc=$(ldd "$tool" | sed -n 's/.*libc\.so\.6 => \(\/[^ ]*\).*/\1/p')
    libdir=$(dirname "$libc")
    copy_into_stage "$libdir/libpthread.so.0"
    for gconv in "/usr/lib/$(basename "$libdir")/gconv" "$libdir/gconv"; do
        if [ -f "$gconv/UTF-16.so" ]; then
            copy_into_stage "$gconv/UTF-16.so"
            copy_into_stage "$gconv/gconv-modules.cache"
            break
        fi
    done

    chroot_tool=$(PATH="$PATH:/usr/sbin:/sbin" command -v chroot)
    if [ "$(id -u)" -eq 0 ]; then
        run_chroot="$chroot_tool"
    else
        run_chroot="$(command -v unshare) --user --map-root-user $chroot_tool"
    fi
    # shellcheck disable=SC2086
    env -i PATH=/usr/bin:/bin LANG=C $run_chroot "$stage" "$tool" "$project_name" >"$log" 2>&1 || {
        cat "$log" >&2
        echo "build-chm.sh: chmcmd failed" >&2
        exit 1
    }
else
    (cd "$stage" && env LANG=C "$chmcmd" "$project_name") >"$log" 2>&1 || {
        cat "$log" >&2
        exit 1
    }
fi

# chmcmd reports missing files and bad links but still writes the file.
if grep -i -E '^(error|warning)' "$log" >&2; then
    echo "build-chm.sh: chmcmd reported problems" >&2
    exit 1
fi

compiled=$(sed -n 's/^Compiled file=\(.*\)\r*$/\1/p' "$stage/$project_name")
cp "$stage/$compiled" "$output"
