#!/usr/bin/env bash
# Large-store check: a MANUAL check, not run by CI (it takes several minutes and about
# 2 GB of disk). It generates a store of 2,000 discs x 1,500 entries (3,000,000 entries)
# and runs every job over it through the real programs, each under /usr/bin/time -v (the
# timed start-ups directly, with their memory from one more run under it):
# tree, list, find, search, export, archive, restore, stats, and the desktop program's
# start-up (orlith-bench-startup, offscreen). It fails on any crash or non-zero exit and
# prints a table of job, time, peak memory, target and result.
#
# Usage: scripts/large-store-check.sh [DIR]
#   DIR     where the store and the job outputs go (default: a temporary folder, removed
#           at the end). An existing DIR must be empty, unless ORLITH_REUSE_STORE=1 and it
#           holds the store of an earlier run, which is then used as it is.
# It builds nothing: build first, e.g.
#   ninja -C build orlith-cli orlith-generate-store orlith-bench-startup
# Environment: ORLITH_BUILD (default build/), ROUNDS (start-up rounds, default 5).
#
# Targets: the desktop start-up (process start to a shown window) and `tree` within 2x of
# reading the first four lines of every disc file with head, timed in the same run,
# interleaved with ours; the peak memory of every job under 2x the largest disc file plus
# 100 MB (10^8 bytes). Exit status: 0 all ok; 1 a job failed or crashed; 2 usage or
# missing programs; 3 every job ran but a target was missed.
set -uo pipefail

readonly DISCS=2000 ENTRIES=1500
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORLITH_BUILD:-$root/build}
rounds=${ROUNDS:-5}
cli=$build/app/orlith-cli
generator=$build/bench/orlith-generate-store
startup=$build/bench/orlith-bench-startup

die() { echo "large-store-check: $*" >&2; exit 2; }
[ $# -le 1 ] || die "usage: $0 [DIR]"
[ -x /usr/bin/time ] || die "/usr/bin/time is missing (Debian package \"time\")"
for p in "$cli" "$generator" "$startup"; do
    [ -x "$p" ] || die "$p is missing; build it first (see the top of this script)"
done

if [ $# -eq 1 ]; then
    work=$(mkdir -p "$1" && cd "$1" && pwd) || die "cannot use $1"
else
    work=$(mktemp -d "${TMPDIR:-/tmp}/orlith-large.XXXXXX") || die "no temporary folder"
    trap 'rm -rf "$work"' EXIT
fi
store=$work/store
reuse=0
if [ "${ORLITH_REUSE_STORE:-0}" = 1 ] && [ -d "$store/cds" ]; then
    reuse=1
elif [ -n "$(ls -A "$work")" ]; then
    die "$work is not empty"
fi
out=$work/out
rm -rf "$out" "$work/copy" "$work/archive"
mkdir -p "$out" "$work/archive" || die "cannot write into $work"

export QT_QPA_PLATFORM=offscreen
failed=0 missed=0
rows=()   # one "job|seconds|peak MiB|target|result" per job

# Microseconds since the epoch, without starting a process: read into a variable with
# `now start` so the measured span holds no fork.
now() { printf -v "$1" '%s' "${EPOCHREALTIME//[!0-9]/}"; }
ms_between() { echo $((($2 - $1) / 1000)); }

# run NAME TARGET_KIB TIME_LIMIT_MS COMMAND... : runs the command under /usr/bin/time -v
# with its standard output in $out/NAME.out, and adds a table row. 0 means no target.
run() {
    local name=$1 mem_kib=$2 limit_ms=$3
    shift 3
    local stats=$out/$name.time start end rc
    now start
    /usr/bin/time -v -o "$stats" "$@" > "$out/$name.out" 2> "$out/$name.err"
    rc=$?
    now end
    record "$name" "$rc" "$(ms_between "$start" "$end")" "$stats" "$mem_kib" "$limit_ms"
    return "$rc"
}

# record NAME RC MS TIME_FILE TARGET_KIB TIME_LIMIT_MS
record() {
    local name=$1 rc=$2 ms=$3 stats=$4 mem_kib=$5 limit_ms=$6 rss result target
    rss=$(sed -n 's/^[[:space:]]*Maximum resident set size (kbytes): //p' "$stats")
    rss=${rss:-0}
    result=ok
    target=-
    [ "$mem_kib" -gt 0 ] && target="<= $((mem_kib / 1024)) MiB"
    [ "$limit_ms" -gt 0 ] && target="$target, <= $(fmt_s "$limit_ms") s"
    if [ "$rc" -ne 0 ]; then
        result="FAIL (exit $rc)"
        grep -h 'terminated by signal' "$stats" >/dev/null 2>&1 &&
            result="CRASH ($(sed -n 's/.*terminated by signal \([0-9]*\).*/signal \1/p' "$stats"))"
        failed=1
        echo "  $name failed; last lines of its error output:" >&2
        tail -n 5 "$out/$name.err" 2>/dev/null | sed 's/^/    /' >&2
    elif [ "$mem_kib" -gt 0 ] && [ "$rss" -gt "$mem_kib" ]; then
        result=OVER
        missed=1
    elif [ "$limit_ms" -gt 0 ] && [ "$ms" -gt "$limit_ms" ]; then
        result=SLOW
        missed=1
    fi
    rows+=("$name|$(fmt_s "$ms")|$((rss / 1024))|$target|$result")
    printf '  %-26s %8s s %6s MiB  %s\n' "$name" "$(fmt_s "$ms")" "$((rss / 1024))" "$result"
}

fmt_s() { printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)); }

# check NAME CONDITION_TEXT COMMAND... : a result the job must have produced.
check() {
    local name=$1 what=$2
    shift 2
    if ! "$@"; then
        echo "  $name: wrong result: $what" >&2
        failed=1
        rows+=("$name (result)|-|-|$what|FAIL")
    fi
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
if [ "$reuse" = 1 ]; then
    echo "using the store in $store"
else
    echo "generating $DISCS discs x $ENTRIES entries into $store ..."
    run generate 0 0 "$generator" "$store" "$DISCS" "$ENTRIES" ||
        { echo "cannot generate the store" >&2; exit 1; }
fi
disc_count=$(find "$store/cds" -name '*.xml' | wc -l)
if [ "$disc_count" -ne "$DISCS" ]; then
    echo "the store holds $disc_count disc files, not $DISCS" >&2
    exit 1
fi
read -r largest_bytes largest_file < \
    <(find "$store/cds" -name '*.xml' -printf '%s %f\n' | sort -n | tail -n 1)
largest=${largest_file%.xml}
store_mib=$(( $(du -sk "$store/cds" | cut -f1) / 1024 ))
mem_kib=$(( (2 * largest_bytes + 100000000) / 1024 ))
echo "store: $disc_count disc files, $store_mib MiB; largest \"$largest\" $largest_bytes bytes;" \
     "memory target $((mem_kib / 1024)) MiB"

c=("$cli" --data-dir "$store")

# startup_once DATA_DIR: the start-up benchmark once, started directly so that no wrapper's
# own start is timed. Sets rc, shown (ms from before the process started to a shown window)
# and listed (ms).
startup_once() {
    local start shown_at
    now start
    "$startup" "$1" > "$out/startup.out" 2> "$out/startup.err"
    rc=$?
    [ "$rc" -eq 0 ] || return
    shown_at=$(sed -n 's/^shown_at_epoch_us //p' "$out/startup.out")
    shown=$(ms_between "$start" "$shown_at")
    listed=$(sed -n 's/^list_ms //p' "$out/startup.out")
    listed=${listed%.*}
}
# measured NAME COMMAND...: the command once more under /usr/bin/time -v, for its peak
# memory (and, when it fails, how), with its output in $out/NAME.out. Sets rc.
measured() {
    local name=$1
    shift
    /usr/bin/time -v -o "$out/$name.time" "$@" > "$out/$name.out" 2> "$out/$name.err"
    rc=$?
}
# keep_best VAR VALUE: the smaller of the two, 0 meaning none yet.
keep_best() {
    local -n best=$1
    if [ "$best" -eq 0 ] || [ "$2" -lt "$best" ]; then best=$2; fi
}

# The head baseline and our start-up, interleaved so both see the same machine load; the
# window over a one-disc store shows what start-up costs before any disc file is read.
tiny=$work/tiny
"$generator" "$tiny" 1 10 || { echo "cannot generate $tiny" >&2; exit 1; }
echo "start-up, $rounds rounds interleaved with the head baseline ..."
head_best=0 ours_best=0 tiny_best=0 list_best=0 startup_rc=0 tree_best=0 tree_rc=0
start_head=0 end_head=0 start=0 end=0
cd "$store" || exit 1
for ((i = 1; i <= rounds; ++i)); do
    now start_head
    find cds -name '*.xml' -print0 | xargs -0 head -q -n 4 > /dev/null
    now end_head
    head_ms=$(ms_between "$start_head" "$end_head")
    keep_best head_best "$head_ms"

    line="  round $i: head $(fmt_s "$head_ms") s"
    if [ "$startup_rc" -eq 0 ]; then
        startup_once "$tiny"
        [ "$rc" -eq 0 ] && tiny_ms=$shown && startup_once "$store"
        startup_rc=$rc
    fi
    if [ "$startup_rc" -eq 0 ]; then
        keep_best tiny_best "$tiny_ms"
        keep_best ours_best "$shown"
        keep_best list_best "$listed"
        line+="; start-up $(fmt_s "$shown") s (one-disc store $(fmt_s "$tiny_ms") s);"
        line+=" list $listed ms"
    fi

    # orlith-cli tree is the command line's start-up: the same reading of the store.
    if [ "$tree_rc" -eq 0 ]; then
        now start
        "${c[@]}" tree > "$out/tree.out" 2> "$out/tree.err"
        tree_rc=$?
        now end
        if [ "$tree_rc" -eq 0 ]; then
            tree_ms=$(ms_between "$start" "$end")
            keep_best tree_best "$tree_ms"
            line+="; tree $(fmt_s "$tree_ms") s"
        fi
    fi
    echo "$line"
done
# Peak memory, and how a failed run failed, from one more run of each under /usr/bin/time.
measured startup "$startup" "$store"
[ "$startup_rc" -eq 0 ] && startup_rc=$rc
measured tree "${c[@]}" tree
[ "$tree_rc" -eq 0 ] && tree_rc=$rc
cd "$work" || exit 1
rows+=("head -n 4 of every disc file (baseline)|$(fmt_s "$head_best")|-|-|-")
rows+=("desktop start-up, one-disc store|$(fmt_s "$tiny_best")|-|-|-")
startup_limit=$((2 * head_best))
if [ "$startup_rc" -ne 0 ]; then
    tail -n 5 "$out/startup.err" | sed 's/^/    /' >&2
    record "desktop start-up + list" "$startup_rc" 0 "$out/startup.time" "$mem_kib" 0
else
    # One run shows the window and lists the largest disc: its peak counts for both rows.
    record "desktop start-up (shown)" 0 "$ours_best" "$out/startup.time" "$mem_kib" "$startup_limit"
    record "desktop list largest disc" 0 "$list_best" "$out/startup.time" "$mem_kib" 0
    listed_rows=$(sed -n 's/^listed_rows //p' "$out/startup.out")
    check "desktop list" "$ENTRIES rows listed" test "$listed_rows" -eq "$ENTRIES"
fi

lines() { wc -l < "$out/$1.out"; }

echo "command-line jobs ..."
record tree "$tree_rc" "$tree_best" "$out/tree.time" "$mem_kib" "$startup_limit"
check tree "every disc in the tree" test "$(grep -c 'Disc ' "$out/tree.out")" -ge "$DISCS"

run list "$mem_kib" 0 "${c[@]}" list "$largest"
check list "$ENTRIES rows" test "$(lines list)" -eq "$ENTRIES"

run find-common "$mem_kib" 0 "${c[@]}" find Music
common_hits=$(lines find-common)
check find-common "many hits" test "$common_hits" -gt 100000
run find-rare "$mem_kib" 0 "${c[@]}" find Track040.wav
rare_hits=$(lines find-rare)
check find-rare "a few hits" test "$rare_hits" -gt 0 -a "$rare_hits" -lt 10000

run search "$mem_kib" 0 "${c[@]}" search --at-least 1000 --after 2005-01-01
search_hits=$(lines search)
check search "hits" test "$search_hits" -gt 0

few=("Disc 00001" "Disc 00002" "Disc 00003" "$largest")
run export-csv-few "$mem_kib" 0 "${c[@]}" export csv --out "$work/archive/few.csv" "${few[@]}"
check export-csv-few "a title line and a row per entry" \
    test "$(wc -l < "$work/archive/few.csv")" -eq $((1 + ${#few[@]} * ENTRIES))
run export-xls-few "$mem_kib" 0 "${c[@]}" export xls --out "$work/archive/few.xls" "${few[@]}"
check export-xls-few "a spreadsheet file" test -s "$work/archive/few.xls"
many=()
for ((d = 1; d <= 200; ++d)); do many+=("$(printf 'Disc %05d' "$d")"); done
run export-csv-200 "$mem_kib" 0 "${c[@]}" export csv --out "$work/archive/200.csv" "${many[@]}"
check export-csv-200 "a title line and a row per entry" \
    test "$(wc -l < "$work/archive/200.csv")" -eq $((1 + 200 * ENTRIES))
rm -f "$work/archive/"*.csv "$work/archive/"*.xls

run archive "$mem_kib" 0 "${c[@]}" archive --to "$work/archive"
check archive "cds.zip written" test -s "$work/archive/cds.zip"

# The copy lacks half the disc files: restore writes those and keeps the rest.
cp -a "$store" "$work/copy"
rm -f "$work/copy/cds/Disc 01"???.xml
run restore "$mem_kib" 0 \
    "$cli" --data-dir "$work/copy" restore --no-all "$work/archive/cds.zip"
check restore "1000 restored, 1000 kept" test "$(grep -c '^restored ' "$out/restore.out")" -eq 1000 \
    -a "$(grep -c '^kept ' "$out/restore.out")" -eq 1000
check restore "the copy equals the store" diff -rq "$store/cds" "$work/copy/cds"
rm -rf "$work/copy" "$work/archive/cds.zip"

run stats "$mem_kib" 0 "${c[@]}" stats

echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "Store: $DISCS discs x $ENTRIES entries, $store_mib MiB of disc files; largest disc file" \
     "$largest_bytes bytes. Hits: find common $common_hits, rare $rare_hits; search $search_hits."
if [ "$startup_rc" -eq 0 ] && [ "$head_best" -gt 0 ]; then
    ratio() { printf '%d.%02d' $(($1 / $2)) $(($1 * 100 / $2 % 100)); }
    extra=$((ours_best > tiny_best ? ours_best - tiny_best : 0))
    echo "Start-up: $(ratio "$ours_best" "$head_best") x the head baseline; the window over a" \
         "one-disc store takes $(ratio "$tiny_best" "$head_best") x of it, so reading the store" \
         "adds $(ratio "$extra" "$head_best") x."
fi
{
    echo "job|time s|peak MiB|target|result"
    printf '%s\n' "${rows[@]}"
} | column -t -s '|'

if [ "$failed" -ne 0 ]; then
    echo "large-store check: FAILED (a job failed or crashed)"
    exit 1
fi
if [ "$missed" -ne 0 ]; then
    echo "large-store check: every job ran, but a target was missed"
    exit 3
fi
echo "large-store check: all jobs ran and met their targets"
