#!/usr/bin/env bash
# Installs what the build needs, builds everything and runs every test: the whole suite on the
# Release build (GUI tests under a virtual X display), then the processor, engine and GUI tests
# again on a build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/bootstrap.sh
jobs="$(nproc)"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build --parallel "$jobs"
xvfb-run -a -s "-screen 0 1920x1080x24" ctest --test-dir build --output-on-failure --parallel "$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOSTREL_SANITIZE=ON -DOSTREL_BUILD_BENCH=OFF
cmake --build build-asan --parallel "$jobs" --target processor_tests engine_tests engine_realtime_tests qva_dsp_tests qva_gui_tests editor_tests
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    xvfb-run -a -s "-screen 0 1920x1080x24" \
    ctest --test-dir build-asan --output-on-failure --parallel "$jobs" -L 'processor|engine|gui'
