#!/usr/bin/env bash
# Fuzzes one target with libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer.
# Targets: config_reader (every reader of the document), login_match (MatchLoginUser), program_table
# (BuildProgramTable), launch_command (BuildLaunchCommand). Builds the target with clang outside the
# CMake builds, into $MV_BUILD/fuzz/TARGET, and runs it for the given number of seconds (default 600)
# from the committed corpus; new inputs go to $MV_BUILD/fuzz/TARGET/corpus, a failing input to
# $MV_BUILD/fuzz/TARGET/artifacts. Prints libFuzzer's final statistics (runs, executions per second).
# Inputs are kept small (-max_len, default 4096): the readers' behaviour on documents of megabytes is
# checked by ordinary tests. The committed corpora are replayed by the fuzz_corpus_replay test.
# Usage: scripts/fuzz.sh TARGET [seconds] [more libFuzzer options...]
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
target=${1:?usage: fuzz.sh TARGET [seconds] [libFuzzer options...]}
shift
seconds=${1:-600}
[ $# -gt 0 ] && shift
case $target in
  config_reader) source_file=tests/config/fuzz/config_reader_fuzz.cpp seeds=tests/config/fuzz/corpus ;;
  login_match|program_table)
    source_file=tests/fuzz/${target}_fuzz.cpp seeds=tests/fuzz/corpus/$target ;;
  launch_command)
    source_file=tests/fuzz/${target}_fuzz.cpp seeds=tests/fuzz/corpus/$target dict=tests/fuzz/launch_command.dict ;;
  *) echo "fuzz.sh: unknown target $target" >&2; exit 2 ;;
esac
dict=${dict:-tests/config/fuzz/config.dict}
out=$MV_BUILD/fuzz/$target
mkdir -p "$out/corpus" "$out/artifacts"

sources=(
  config/config_document.cpp
  config/scrambled_file.cpp
  shell/launch_command.cpp
  config/session.cpp
  ui/text_utils.cpp
  support/bounded_text.cpp
  support/platform_posix.cpp
  support/process_state.cpp
  tests/config/reader_checks.cpp
  tests/fuzz/fuzz_input.cpp
  "$source_file"
)
echo "fuzz: building $out/$target"
(cd "$MV_ROOT" && clang++ -std=c++17 -g -O1 -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer \
  -I"$MV_ROOT" "${sources[@]}" -ldl -lodbc -o "$out/$target")

echo "fuzz: running $target for $seconds s"
status=0
"$out/$target" "$out/corpus" "$MV_ROOT/$seeds" \
  -dict="$MV_ROOT/$dict" -max_len=4096 -max_total_time="$seconds" \
  -artifact_prefix="$out/artifacts/" -print_final_stats=1 "$@" >"$out/last-run.log" 2>&1 || status=$?
grep -E '^(stat::|==[0-9]+==ERROR|SUMMARY|fuzz check failed|Done )' "$out/last-run.log" || true
if [ $status -ne 0 ]; then
  echo "fuzz: $target failed (exit $status); see $out/last-run.log and $out/artifacts" >&2
  exit $status
fi
echo "fuzz: $target, no finding"
