#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the programs, desktop entry, icon, HTML
# manual (self-contained, found by Help) and manual pages (clean, covering all of orlith-cli).
# Usage: check_install.sh CMAKE BUILD_DIR SOURCE_DIR TST_FORM1
set -u
cmake=$1 build=$2 source=$3 tst_main_window=$4

prefix=$(mktemp -d)
trap 'rm -rf "$prefix" "$prefix.log"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

"$cmake" --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 \
    || { cat "$prefix.log"; echo "FAIL: cmake --install"; exit 1; }

desktop=share/applications/org.orlith.Orlith.desktop
icon=share/icons/hicolor/scalable/apps/org.orlith.Orlith.svg
manual=share/doc/orlith/Orlith.html
cli_man=share/man/man1/orlith-cli.1
for f in bin/orlith bin/orlith-cli "$desktop" "$icon" "$manual" share/man/man1/orlith.1 "$cli_man"; do
    [ -s "$prefix/$f" ] || fail "$f is not installed"
    [[ $f != bin/* || -x "$prefix/$f" ]] || fail "$f is not executable"
done

# Desktop entry: valid, and naming what was installed.
skip_validate=0
if command -v desktop-file-validate >/dev/null; then
    # Hints count too: they point at categories or keys that desktops read differently.
    report=$(desktop-file-validate "$prefix/$desktop" 2>&1) && [ -z "$report" ] \
        || fail "desktop-file-validate $desktop: $report"
else
    echo "SKIP: desktop-file-validate is not installed"; skip_validate=1
fi
exec_line=$(sed -n 's/^Exec=//p' "$prefix/$desktop")
[ -x "$prefix/bin/${exec_line%% *}" ] || fail "Exec=$exec_line is not a program in bin"
icon_name=$(sed -n 's/^Icon=//p' "$prefix/$desktop")
[ "$icon_name.svg" = "$(basename "$icon")" ] || fail "Icon=$icon_name does not name $icon"

# Icon: well-formed XML whose root is <svg> (without xmllint, only that it opens one).
if command -v xmllint >/dev/null; then
    xmllint --noout "$prefix/$icon" || fail "$icon is not well-formed XML"
    root=$(xmllint --xpath 'local-name(/*)' "$prefix/$icon" 2>/dev/null)
else
    root=$(grep -o '<svg' "$prefix/$icon" | head -1 | tr -d '<')
fi
[ "$root" = svg ] || fail "$icon has the root element '$root', not svg"

# HTML manual: nothing fetched from elsewhere (pictures are files beside it), every in-page
# link lands.
html=$prefix/$manual
grep -Eiq '<(link|script|iframe|object)[ >]|url\(|@import' "$html" \
    && fail "$manual loads an outside resource"
for picture in $(grep -Eio '<img [^>]*src="[^"]*"' "$html" | sed 's/.*src="//; s/"$//'); do
    case $picture in
        */* | *:*) fail "$manual shows a picture from elsewhere: $picture" ;;
    esac
    [ -f "$(dirname "$html")/$picture" ] || fail "$manual shows $picture, which is not installed"
done
grep -Eio 'href="[^"#]*' "$html" | grep -Eiv 'href="$' | grep -q . \
    && fail "$manual links outside itself: $(grep -Eio 'href="[^"#][^"]*"' "$html" | head -3)"
for anchor in $(grep -Eo 'href="#[^"]+"' "$html" | sed 's/href="#//; s/"$//' | sort -u); do
    grep -q "id=\"$anchor\"" "$html" || fail "$manual links to #$anchor, which is not there"
done
if command -v xmllint >/dev/null; then
    errors=$(xmllint --html --noout "$html" 2>&1)
    [ -z "$errors" ] || fail "$manual does not parse cleanly: $errors"
fi

# Manual pages render without a warning.
for page in share/man/man1/orlith.1 "$cli_man"; do
    if command -v groff >/dev/null; then
        warnings=$(groff -man -Tutf8 -ww -z "$prefix/$page" 2>&1)
    else
        warnings=$(grep -q '^\.TH ' "$prefix/$page" && grep -q '^\.SH NAME' "$prefix/$page" || echo "no .TH or .SH NAME")
    fi
    [ -z "$warnings" ] || fail "$page: $warnings"
done

# orlith-cli's page names every command of its --help and every option its commands take.
plain=$(sed 's/\\-/-/g; s/\\f[BIRP]//g; s/"//g' "$prefix/$cli_man")
headwords=$(printf '%s\n' "$plain" | sed -n 's/^\.BI\{0,1\} \([^ ]*\).*/\1/p')
# A word the tool does not reject as an unknown command is a command.
mkdir "$prefix/data"
for word in $("$prefix/bin/orlith-cli" --help | sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p' | sort -u); do
    "$prefix/bin/orlith-cli" --data-dir "$prefix/data" "$word" </dev/null 2>&1 >/dev/null \
        | grep -q 'unknown command' && continue
    printf '%s\n' "$headwords" | grep -qx -- "$word" || fail "$cli_man does not document the command $word"
done
for option in $(grep -oh 'QStringLiteral("--[a-z-]*")' "$source"/app/cli/*.cpp | sed 's/.*"\(--[a-z-]*\)".*/\1/' | sort -u) \
              --data-dir --help; do
    printf '%s\n' "$plain" | grep -qF -- "$option" || fail "$cli_man does not document the option $option"
done

# Help finds the installed manual from the installed program's folder.
ORLITH_INSTALLED_PREFIX=$prefix "$tst_main_window" installedTree >/dev/null \
    || fail "Help does not find $manual from $prefix/bin"

[ "$failed" -eq 0 ] || exit 1
[ "$skip_validate" -eq 0 ] || exit 77
echo "Installed tree checked in $prefix"
