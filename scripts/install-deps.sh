#!/usr/bin/env bash
# Installs what building and testing pedlik needs, only when it is missing.
# Usage: scripts/install-deps.sh [--plot] [--tests] [--with-oracle]
# Without options: what building the program needs. --plot adds gnuplot,
# which only pedlik --plot runs; --tests adds what the tests and fuzzers
# need, gnuplot among them; --with-oracle adds FASTLINK, which is optional:
# when it cannot be installed, the tests that compare against it report
# themselves skipped (and fail under CI).
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
with_tests=""
with_oracle=""
with_plot=""
for option in "$@"; do
  case "$option" in
    --plot) with_plot=yes ;;
    --tests) with_tests=yes; with_plot=yes ;;
    --with-oracle) with_oracle=yes ;;
    *) echo "install-deps.sh: unknown option $option" >&2; exit 1 ;;
  esac
done
if [ -n "$with_tests" ]; then
  command -v clang++ >/dev/null 2>&1 || need+=(clang)
  [ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
  ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || need+=(libclang-rt-dev)
  # The installation test renders the manual page.
  command -v man >/dev/null 2>&1 || need+=(man-db)
  command -v groff >/dev/null 2>&1 || need+=(groff-base)
  # The split-run test starts a single-node Slurm cluster on loopback.
  command -v slurmctld >/dev/null 2>&1 || need+=(slurmctld)
  command -v slurmd >/dev/null 2>&1 || need+=(slurmd)
  command -v sbatch >/dev/null 2>&1 || need+=(slurm-client)
  command -v munged >/dev/null 2>&1 || need+=(munge)
fi
# Without X: its PNG (cairo) and SVG terminals are all --plot uses.
if [ -n "$with_plot" ]; then
  command -v gnuplot >/dev/null 2>&1 || need+=(gnuplot-nox)
fi
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  install "${need[@]}"
fi

if [ -n "$with_oracle" ] && ! command -v mlink >/dev/null 2>&1; then
  echo "Installing: fastlink"
  install fastlink || echo "FASTLINK could not be installed; the comparisons with it will be skipped."
fi
