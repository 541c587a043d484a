#!/usr/bin/env bash
# Fuzzes the readers of the configuration document (login match, program table, editor model, and
# the rewrite with its reload) with libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer.
# Builds the target with clang outside the CMake builds, into $MV_BUILD/fuzz-config, and runs it
# for the given number of seconds (default 600) from the committed seed corpus; the inputs it
# finds go to $MV_BUILD/fuzz-config/corpus, a crashing input to $MV_BUILD/fuzz-config/artifacts.
# Usage: scripts/fuzz-config.sh [seconds] [more libFuzzer options...]
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
seconds=${1:-600}
[ $# -gt 0 ] && shift
out=$MV_BUILD/fuzz-config
mkdir -p "$out/corpus" "$out/artifacts"

sources=(
  config/config_document.cpp
  config/scrambled_file.cpp
  shell/process_state.cpp
  shell/session.cpp
  support/bounded_text.cpp
  support/platform_posix.cpp
  tests/config/reader_checks.cpp
  tests/config/fuzz/config_reader_fuzz.cpp
)
echo "fuzz-config: building $out/config_reader_fuzz"
(cd "$MV_ROOT" && clang++ -std=c++17 -g -O1 -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer \
  -I"$MV_ROOT" "${sources[@]}" -ldl -o "$out/config_reader_fuzz")

echo "fuzz-config: running for $seconds s"
status=0
"$out/config_reader_fuzz" "$out/corpus" "$MV_ROOT/tests/config/fuzz/corpus" \
  -dict="$MV_ROOT/tests/config/fuzz/config.dict" -max_len=8192 -max_total_time="$seconds" \
  -artifact_prefix="$out/artifacts/" -print_final_stats=1 "$@" >"$out/last-run.log" 2>&1 || status=$?
grep -E '^(stat::|==[0-9]+==ERROR|SUMMARY|config reader check failed|Done )' "$out/last-run.log" || true
if [ $status -ne 0 ]; then
  echo "fuzz-config: the target failed (exit $status); see $out/last-run.log and $out/artifacts" >&2
  exit $status
fi
echo "fuzz-config: no finding"
