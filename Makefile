# The two commands of the README, and the builds behind them.
#   make run    build, then run pedlik on the bundled example
#   make test   build every test (sanitized and plain) and run them all
#   make bench  time the plain build against FASTLINK, then the sum-out kernel (not part of make test)
#   make bench-ml  time pedlik --ml against FASTLINK's ilink
#   make bench-split  a run split into 1 and 2 parts on a Slurm cluster started here (root)
#   make install PREFIX=DIR  install pedlik and its manual page under DIR (default /usr/local)
#   make fuzz   run every fuzzing harness for FUZZ_SECONDS each (not part of make test)
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local
# make test's short run of each harness; make fuzz's longer one, and the
# seconds one input may take before it counts as a hang.
SMOKE_SECONDS ?= 5
FUZZ_SECONDS ?= 600
FUZZ_TIMEOUT ?= 10

# The project's own builds stop on any warning; a plain CMake build does not.
CMAKE_FLAGS = -DPEDLIK_WERROR=ON

.PHONY: run test bench bench-buckettree bench-ml bench-split configure build build-san build-tsan tsan-test fuzz-smoke fuzz install deps test-deps oracle-deps clean

deps:
	@bash scripts/install-deps.sh

test-deps:
	@bash scripts/install-deps.sh --tests

oracle-deps:
	@bash scripts/install-deps.sh --tests --with-oracle

# The plain build is a Release build, as packagers make it, so that a
# warning only optimised code raises stops the project's own build.
configure: deps
	@cmake -S . -B build -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null

build: test-deps configure
	@cmake --build build -j $(JOBS) --target pedlik pedlik_tests pedlik_unsanitized_tests pedlik_plain_tests

# The sanitized build (clang, AddressSanitizer and UndefinedBehaviorSanitizer)
# also holds the fuzzing harnesses, so the library is compiled once for both.
# At -O1, as the sanitizers are usually run: the suite runs twice as fast
# and the reports keep their lines.
build-san: test-deps
	@cmake -S . -B build-san -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DCMAKE_CXX_COMPILER=clang++ \
	  -DPEDLIK_SANITIZE=ON -DPEDLIK_FUZZ=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-san -j $(JOBS)

# The ThreadSanitizer build (clang, Debug at -O1 like the other sanitized
# build): the program and the test program, for tsan-test.
build-tsan: test-deps
	@cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DCMAKE_CXX_COMPILER=clang++ \
	  -DPEDLIK_TSAN=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-tsan -j $(JOBS) --target pedlik pedlik_tests

# Under ThreadSanitizer, the tests that eliminate values, pedigrees,
# conditioning branches (their bucket trees too) and the shares of large
# sum-outs on several threads: in-process
# on 2 and 3 threads, and the binary on one thread per core. Any race
# report fails them.
TSAN_FILTER = *LodScoreMode*Conditioning*:*GoldenOutput*:*ProgramRun*:*SteppedSumOut*:*UnitTurns*:*TwoEngines*Branch*
tsan-test: build-tsan
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ./pedlik_tests --gtest_filter='$(TSAN_FILTER)'

# Only the program: the first report comes before any test is compiled.
run: configure
	@cmake --build build -j $(JOBS) --target pedlik
	cd examples && ../build/pedlik

fuzz-smoke: build-san
	@bash tests/fuzz/smoke.sh build-san $(SMOKE_SECONDS)

fuzz: build-san
	@bash tests/fuzz/smoke.sh build-san $(FUZZ_SECONDS) $(FUZZ_TIMEOUT)

install: configure
	@cmake --build build -j $(JOBS) --target pedlik
	cmake --install build --prefix "$(PREFIX)"

test: oracle-deps build build-san build-tsan
	cd build-san && ctest --output-on-failure -j $(JOBS)
	cd build && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory tsan-test
	@$(MAKE) --no-print-directory fuzz-smoke

bench: oracle-deps configure
	@cmake --build build -j $(JOBS) --target pedlik pedlik_bench_datasets pedlik_bench_timer pedlik_bench_kernel
	@bash bench/run.sh build
	@$(MAKE) --no-print-directory bench-buckettree

# One bucket-tree elimination over all pedigrees against one likelihood by
# elimination, each on its mode's orders, on the cases of make bench; pass
# case folders (each with datafile3.dat and pedfile3.dat) in BENCH_CASES to
# time others.
bench-buckettree: configure
	@cmake --build build -j $(JOBS) --target pedlik_bench_buckettree
	@build/pedlik_bench_buckettree $(BENCH_CASES)

# pedlik --ml against ilink on the cases of make bench: passes, time to
# converge and per pass, ln likelihood reached (BENCH_ML_CASES: names to run).
bench-ml: oracle-deps configure
	@cmake --build build -j $(JOBS) --target pedlik pedlik_bench_datasets
	@BENCH_ML_CASES="$(BENCH_ML_CASES)" bash bench/ml.sh build

# One part doing everything against 2 parts on a single-node Slurm cluster
# started here, wall time and ratio; the largest part's share of the work
# for 2, 8 and 64 parts (BENCH_RUNS, BENCH_SPLIT_CASE: see bench/split.sh).
bench-split: test-deps configure
	@cmake --build build -j $(JOBS) --target pedlik pedlik_bench_datasets
	@bash bench/split.sh build

clean:
	rm -rf build build-san build-tsan
