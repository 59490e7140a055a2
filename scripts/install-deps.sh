#!/usr/bin/env bash
# Installs what building and testing pedlik needs, only when it is missing.
# Usage: scripts/install-deps.sh [--with-oracle]
set -eu

need=()
command -v g++ >/dev/null 2>&1 || need+=(g++)
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v make >/dev/null 2>&1 || need+=(make)
command -v clang++ >/dev/null 2>&1 || need+=(clang)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || need+=(libclang-rt-dev)
if [ "${1:-}" = "--with-oracle" ]; then
  command -v mlink >/dev/null 2>&1 || need+=(fastlink)
fi

[ ${#need[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update </dev/null
$sudo apt-get install -y "${need[@]}" </dev/null
