#!/usr/bin/env bash
# Installs what is missing, builds in Release and converts every bundled sample
# picture into out/, one line per file.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target dropshrink-cli
mkdir -p out
build/cli/dropshrink-cli -o out samples/*
