#!/usr/bin/env bash
# Builds the libFuzzer targets of the platform parsers (INI files, registry
# hives, time-zone rules) and of the report engine's readers (expressions,
# saved reports) into build-fuzz/ and runs each for the given number of
# seconds (default 60). Fails when any target finds a crash, a leak or
# undefined behaviour; the input that did it is left in build-fuzz/.
# Not part of the test run.
set -euo pipefail
seconds=${1:-60}
here=$(cd "$(dirname "$0")/.." && pwd)
out="$here/build-fuzz"
mkdir -p "$out"
cxx=${CXX_FUZZ:-clang++}
flags=(-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -I"$here/src/platform" -I"$here/src/mapi")
src="$here/src/platform"

"$cxx" "${flags[@]}" "$here/fuzz/fuzz_profile.cpp" "$src/ProfileParser.cpp" "$src/TextUtil.cpp" \
  -o "$out/fuzz_profile"
"$cxx" "${flags[@]}" "$here/fuzz/fuzz_hive.cpp" "$src/RegistryHive.cpp" "$src/TextUtil.cpp" \
  -o "$out/fuzz_hive"
"$cxx" "${flags[@]}" "$here/fuzz/fuzz_zone.cpp" "$src/TimeZoneRule.cpp" "$src/TimeConversion.cpp" \
  "$src/FileUtil.cpp" "$src/TextUtil.cpp" -o "$out/fuzz_zone"

# The report engine's readers are Qt code: position-independent, with Qt's
# own flags.
engine="$here/src/reportengine"
qt_flags=(-fPIC $(pkg-config --cflags Qt6Core Qt6Gui) -I"$engine/model" -I"$engine/display"
          -I"$engine/render")
qt_libs=($(pkg-config --libs Qt6Core Qt6Gui))
"$cxx" "${flags[@]}" "${qt_flags[@]}" "$here/fuzz/fuzz_expression.cpp" \
  "$engine/model/Expression.cpp" "$engine/model/NumberFormat.cpp" "$engine/model/ReportModel.cpp" \
  "${qt_libs[@]}" -o "$out/fuzz_expression"
"$cxx" "${flags[@]}" "${qt_flags[@]}" "$here/fuzz/fuzz_reportfile.cpp" \
  "$engine/render/ReportFile.cpp" "$engine/model/ReportModel.cpp" "${qt_libs[@]}" \
  -o "$out/fuzz_reportfile"

# Zone files make good seeds; they are read from the system, not stored here.
mkdir -p "$out/corpus-zone"
for zone in Europe/Berlin Europe/Dublin Australia/Sydney Asia/Jerusalem UTC; do
  [ -f "/usr/share/zoneinfo/$zone" ] && cp "/usr/share/zoneinfo/$zone" "$out/corpus-zone/${zone//\//_}"
done

status=0
for target in profile hive zone expression reportfile; do
  corpus="$out/corpus-$target"
  mkdir -p "$corpus"
  if [ -d "$here/fuzz/seeds/$target" ]; then cp -r "$here/fuzz/seeds/$target/." "$corpus/"; fi
  echo "== fuzz_$target for ${seconds}s"
  if ! "$out/fuzz_$target" -max_total_time="$seconds" -max_len=16384 -timeout=10 \
       -artifact_prefix="$out/fuzz_$target-" "$corpus" 2>"$out/fuzz_$target.log"; then
    echo "fuzz_$target: FINDING (see $out/fuzz_$target.log)"
    tail -n 40 "$out/fuzz_$target.log"
    status=1
  else
    tail -n 1 "$out/fuzz_$target.log"
  fi
done
exit $status
