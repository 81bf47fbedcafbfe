#!/bin/bash
# Builds the libFuzzer targets (preset "fuzz": clang, ASan, UBSan) in build-fuzz/ and runs each one
# for a set time over its corpus: the seeds in tests/data/fuzz/<target>/, the matching fixtures of
# tests/data, and whatever earlier runs found (kept in build-fuzz/corpus/). Inputs that crash or
# break a property are kept in build-fuzz/findings/<target>/ and make the script fail.
#
#   tools/fuzz.sh [SECONDS] [TARGET...]     default: 60 seconds each, every target
#   JOBS=2 tools/fuzz.sh 20                 build with 2 jobs (default 2)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

seconds=${1:-60}
[ $# -gt 0 ] && shift
jobs=${JOBS:-2}
build=build-fuzz

all_targets=$(sed -n 's/^quillet_add_fuzzer(\([a-z_]*\).*/\1/p' fuzz/CMakeLists.txt)
targets=${*:-$all_targets}

start=$(date +%s)
cmake --preset fuzz >/dev/null
nice -n 10 cmake --build "$build" -j "$jobs" --target $targets
echo "fuzz: built in $(( $(date +%s) - start )) s"

separator=$'\n=clo=\n'

# Seeds made from the fixtures of tests/data, in the form each target reads.
seed_from_fixtures() {
    local target=$1 corpus=$2 f n=0
    case $target in
    fuzz_textimport)
        while IFS= read -r -d '' f; do
            n=$((n + 1))
            local clo="${f%???}clo"
            if [ -f "$clo" ]; then
                { printf '\0'; cat "$f"; printf '%s' "$separator"; cat "$clo"; } >"$corpus/fixture-$n"
            else
                { printf '\0'; cat "$f"; } >"$corpus/fixture-$n"
            fi
        done < <(find tests/data -path tests/data/fuzz -prune -o -name '*.txt' -size -64k -print0)
        ;;
    fuzz_colorbitmap)
        find tests/data -path tests/data/fuzz -prune -o \( -name '*.clo' -o -name '*.bmp' \) -size -64k \
            -exec cp -t "$corpus" {} +
        ;;
    fuzz_animation)
        while IFS= read -r -d '' f; do
            n=$((n + 1))
            { printf '\x80'; cat "$f"; } >"$corpus/fixture-$n"
        done < <(find tests/data -path tests/data/fuzz -prune -o -name '*.mmt' -size -400k -print0)
        ;;
    fuzz_settings)
        find tests/data resources -path tests/data/fuzz -prune -o -iname '*.ini' ! -name '*_about.ini' -size -64k \
            -exec cp -t "$corpus" {} +
        ;;
    fuzz_language)
        find tests/data resources -path tests/data/fuzz -prune -o -name '*_about.ini' -size -64k \
            -exec cp -t "$corpus" {} +
        ;;
    esac
}

max_len_for() {
    case $1 in
    fuzz_animation) echo $((2 * 192000 + 1 + 100)) ;; # two records and a trailing piece
    fuzz_colorbitmap | fuzz_textimport) echo 65536 ;;
    *) echo 4096 ;;
    esac
}

failed=0
summary=()
for target in $targets; do
    corpus=$build/corpus/$target
    findings=$build/findings/$target
    mkdir -p "$corpus" "$findings"
    [ -d "tests/data/fuzz/$target" ] && cp -r "tests/data/fuzz/$target/." "$corpus/"
    seed_from_fixtures "$target" "$corpus"
    log=$build/findings/$target.log
    set +e
    QT_QPA_PLATFORM=offscreen \
    ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1" \
    LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
        nice -n 10 "$build/bin/$target" "$corpus" \
        -max_total_time="$seconds" -max_len="$(max_len_for "$target")" -timeout=30 -rss_limit_mb=2560 \
        -artifact_prefix="$findings/" -print_final_stats=1 -close_fd_mask=1 >"$log" 2>&1
    status=$?
    set -e
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    if [ $status -ne 0 ]; then
        failed=1
        summary+=("$target: FAILED after ${execs:-?} executions (exit $status); see $log and $findings/")
        grep -m1 -E 'ERROR: |property broken|runtime error' "$log" || true
    else
        summary+=("$target: ${execs:-?} executions in ${seconds} s, nothing found; corpus $(ls "$corpus" | wc -l) inputs")
    fi
done

printf '%s\n' "${summary[@]}"
echo "fuzz: finished in $(( $(date +%s) - start )) s"
exit $failed
