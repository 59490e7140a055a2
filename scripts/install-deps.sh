#!/usr/bin/env bash
# Installs what building and testing pedlik needs, only when it is missing.
# Usage: scripts/install-deps.sh [--with-oracle]
# The oracle (FASTLINK) is optional: when it cannot be installed, the tests
# that compare against it report themselves skipped (and fail under CI).
set -eu

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
updated=""

install() {
  if [ -z "$updated" ]; then
    $sudo apt-get update </dev/null
    updated=yes
  fi
  $sudo apt-get install -y "$@" </dev/null
}

need=()
command -v g++ >/dev/null 2>&1 || need+=(g++)
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v make >/dev/null 2>&1 || need+=(make)
command -v clang++ >/dev/null 2>&1 || need+=(clang)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || need+=(libclang-rt-dev)
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  install "${need[@]}"
fi

if [ "${1:-}" = "--with-oracle" ] && ! command -v mlink >/dev/null 2>&1; then
  echo "Installing: fastlink"
  install fastlink || echo "FASTLINK could not be installed; the comparisons with it will be skipped."
fi
