#!/usr/bin/env bash
# Builds the libFuzzer targets (the `fuzz` preset: clang with AddressSanitizer
# and UndefinedBehaviorSanitizer) and runs each for SKYROLL_FUZZ_SECONDS
# (default 60) over its seed corpus: the test fixtures and tests/fuzz/seeds.
# Prints executions per second and total executions of each target; fails on
# the first finding, whose input is left in build/fuzz/findings/ (make it a
# regression fixture in tests/fuzz/seeds/ with the fix).
# Usage: scripts/fuzz.sh [target...]   (default: every target)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${SKYROLL_FUZZ_SECONDS:-60}
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(fuzz_profile_file fuzz_page_weather fuzz_w3getv_command fuzz_page_charset
           fuzz_cp932 fuzz_live_answer fuzz_picture_file)
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc 2>/dev/null || echo 2)"

out=build/fuzz
data=tests/data
mkdir -p "$out/findings" "$out/logs"

# The seed corpus of each target, made from the fixtures in the input form
# the target reads.
seed_corpus() {
  local target=$1 dir=$out/seeds/$1 i=0 page
  rm -rf "$dir"
  mkdir -p "$dir"
  case $target in
    fuzz_profile_file)
      for page in "$data"/profile/*.ini; do
        { printf 'POSITION\0DISPPOS\0 2\0'; cat "$page"; } > "$dir/$(basename "$page")"
        { printf '[SITES]\0World\0http://127.0.0.1/\0'; cat "$page"; } > "$dir/sites-$(basename "$page")"
      done
      # Files with a UTF-8 or UTF-16LE mark, lone surrogates, an odd byte.
      cp tests/fuzz/seeds/profile/* "$dir/" ;;
    fuzz_page_weather)
      # The first byte picks the city (the city table's row) whose page it is.
      for page in "$data"/weather/site/world/*.html; do
        { printf "\\x$(printf %02x $((i % 27)))"; cat "$page"; } > "$dir/$(basename "$page")"
        i=$((i + 1))
      done
      { printf '\x1b'; cat "$data"/weather/site/cities/63.html; } > "$dir/JAPAN.html" ;;
    fuzz_w3getv_command) cp tests/fuzz/seeds/command/* "$dir/" ;;
    fuzz_page_charset)
      cp tests/fuzz/seeds/charset/* "$dir/"
      { printf 'shift_jis\0'; cat "$data"/weather/site/world/wd001.html; } > "$dir/wd001-sjis" ;;
    fuzz_cp932) cp "$data"/weather/site/world/*.html "$data"/weather/site/cities/63.html "$data"/profile/*.ini "$dir/" ;;
    fuzz_live_answer) cp "$data"/weather/live/*.json "$dir/" ;;
    fuzz_picture_file) cp tests/fuzz/seeds/picture/* "$dir/" ;;
    *) echo "unknown fuzz target $target" >&2; exit 2 ;;
  esac
}

status=0
printf '%-22s %12s %16s\n' target 'execs/s' 'total execs'
for target in "${targets[@]}"; do
  seed_corpus "$target"
  mkdir -p "$out/corpus/$target"
  log=$out/logs/$target.log
  if ! "$out/fuzz/$target" "$out/corpus/$target" "$out/seeds/$target" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$out/findings/$target-" >"$log" 2>&1; then
    echo "$target: FINDING (see $log and $out/findings/)" >&2
    tail -n 40 "$log" >&2
    status=1
    continue
  fi
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  printf '%-22s %12s %16s\n' "$target" "$rate" "$execs"
done
exit $status
