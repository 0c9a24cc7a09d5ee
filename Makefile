# HALVO SYNTHESIZER — the two commands a new machine needs:
#   make run    install what is missing, build the standalone (Release) and start it
#   make test   install what is missing, build everything and run every test
# Further targets: make test-asan (whole suite under AddressSanitizer and UBSan),
#                  make test-tsan (whole suite under ThreadSanitizer),
#                  make bench (Release benchmarks, built and run),
#                  make build (Release standalone only), make clean.

JOBS        ?= $(shell nproc 2>/dev/null || echo 2)
RELEASE_DIR := build/release
TEST_DIR    := build/test
ASAN_DIR    := build/asan
TSAN_DIR    := build/tsan
BENCH_DIR   := build/bench

CCACHE   := $(shell command -v ccache 2>/dev/null)
LAUNCHER := $(if $(CCACHE),-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Paths inside the checkout are hashed relative to it, so another clone reuses the cache.
export CCACHE_BASEDIR := $(CURDIR)

STANDALONE := $(RELEASE_DIR)/plugin/HalvoSynth_artefacts/Release/Standalone/HALVO SYNTHESIZER

# Tests that open windows need an X server; without one the suite runs under a virtual one.
CTEST_WRAP := $(if $(DISPLAY),,$(if $(shell command -v xvfb-run 2>/dev/null),xvfb-run -a -s "-screen 0 1920x1200x24",))

.PHONY: deps run build test test-asan test-tsan bench clean

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DHALVO_BUILD_TESTS=OFF $(LAUNCHER) > /dev/null
	@cmake --build $(RELEASE_DIR) --target HalvoSynth_Standalone -j $(JOBS)

run: build
	"$(STANDALONE)"

# Tests build optimised but with JUCE's assertions and leak detectors switched on.
test: deps
	@cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVO_BUILD_TESTS=ON -DHALVO_JUCE_ASSERTIONS=ON $(LAUNCHER) > /dev/null
	@cmake --build $(TEST_DIR) -j $(JOBS)
	$(CTEST_WRAP) ctest --test-dir $(TEST_DIR) --output-on-failure -j $(JOBS)

test-asan: deps
	@cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DHALVO_BUILD_TESTS=ON -DHALVO_SANITIZE=ON $(LAUNCHER) > /dev/null
	@cmake --build $(ASAN_DIR) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	$(CTEST_WRAP) ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS)

# Timings only mean something from an optimised build without JUCE's assertions.
bench: deps
	@cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DHALVO_BUILD_TESTS=OFF -DHALVO_BUILD_BENCHMARKS=ON $(LAUNCHER) > /dev/null
	@cmake --build $(BENCH_DIR) --target HalvoBenchmarks -j $(JOBS)
	$(BENCH_DIR)/bench/HalvoBenchmarks

# The whole suite under ThreadSanitizer: the hand-offs between the editor's thread and the
# audio thread are exercised from two threads by the tests.
test-tsan: deps
	@cmake -S . -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVO_BUILD_TESTS=ON -DHALVO_BUILD_BENCHMARKS=OFF -DHALVO_THREAD_SANITIZE=ON $(LAUNCHER) > /dev/null
	@cmake --build $(TSAN_DIR) -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	$(CTEST_WRAP) ctest --test-dir $(TSAN_DIR) --output-on-failure -j $(JOBS)

clean:
	rm -rf build
