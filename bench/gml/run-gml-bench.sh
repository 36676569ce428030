#!/bin/sh
# Builds the benchmarks in release mode and measures writing and reading back an exchange
# document next to ogr2ogr, in one run.  Usage: bench/gml/run-gml-bench.sh [features]
set -eu
cd "$(dirname "$0")/../.."
build=build-bench
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DDORVELLXSD_BUILD_BENCHMARKS=ON \
    -DDORVELLXSD_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target gml_bench >/dev/null
"$build/bench/gml/gml_bench" --features "${1:-100000}"
