#!/usr/bin/env bash
# Runs one Windows program under Wine with the environment every test and demo
# run shares: an own prefix in the build folder, the GBK code page, the Chinese
# UI font names mapped to an installed font, and a display.
# Usage: wine-run.sh BUILD_DIR PROGRAM [ARGS...]
set -u
build_dir=$1
shift
export WINEPREFIX="$build_dir/wineprefix"
export WINEDEBUG=${WINEDEBUG:--all}
# A Chinese locale gives the ANSI code page 936 (GBK). It must be a real glibc
# locale: with a name glibc does not know (zh_CN.GBK) Wine still picks 936 but
# has no Unix charset for file names, and non-ASCII paths cannot be opened.
# The locale is compiled once into the build folder; nothing system-wide changes.
export LOCPATH="$build_dir/locale"
if [ ! -d "$LOCPATH/zh_CN.UTF-8" ]; then
    mkdir -p "$LOCPATH"
    localedef -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8.tmp$$" >/dev/null 2>&1 &&
        mv -T "$LOCPATH/zh_CN.UTF-8.tmp$$" "$LOCPATH/zh_CN.UTF-8" 2>/dev/null
    rm -rf "$LOCPATH/zh_CN.UTF-8.tmp$$"
fi
export WINEDLLOVERRIDES="mscoree,mshtml="
# Gstreamer's registry is rebuilt on first use; keep it inside the build folder.
export GST_REGISTRY="$build_dir/gst-registry.bin"

wine_bin=$(command -v wine || echo /usr/lib/wine/wine64)

init_prefix() {
    # Creating a prefix once is slow; a lock keeps parallel tests from racing.
    exec 9>"$build_dir/.wineprefix.lock"
    flock 9
    # The marker's number goes up when a prefix made before must be brought
    # up to date (3: Wine's own fonts copied in, below).
    if [ ! -f "$WINEPREFIX/.corvina-ready-3" ]; then
        mkdir -p "$WINEPREFIX"
        env LC_ALL=zh_CN.UTF-8 "$wine_bin" wineboot -i >/dev/null 2>&1
        # No window manager runs here: without this, Wine waits for one on
        # every map and unmap of a captioned window.
        "$wine_bin" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        for f in "微软雅黑" "黑体" "宋体"; do
            "$wine_bin" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$f" /t REG_SZ \
                /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1
        done
        # Wine's own fonts (fonts-wine), Marlett among them for the glyphs of
        # standard caption buttons: this Wine does not look for them where
        # the package puts them, but it reads the prefix's font folder.
        mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
        cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
        touch "$WINEPREFIX/.corvina-ready-3"
    fi
    # A persistent server makes every later start of this prefix fast.
    wineserver -p >/dev/null 2>&1 || true
    # Bring the session's background programs (services, devices) up here,
    # detached from the caller's output: started by a test program instead,
    # they would inherit its pipes and keep the test runner waiting forever.
    env LC_ALL=zh_CN.UTF-8 "$wine_bin" wineboot </dev/null >/dev/null 2>&1 || true
    flock -u 9
}

init_prefix
# Through env, so that this shell does not try the locale itself.
if [ -z "${DISPLAY:-}" ]; then
    exec env LC_ALL=zh_CN.UTF-8 xvfb-run -a -s "-screen 0 1280x800x24" "$wine_bin" "$@"
fi
exec env LC_ALL=zh_CN.UTF-8 "$wine_bin" "$@"
