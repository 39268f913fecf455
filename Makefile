# The two commands: `make demo` runs the gallery, `make test` runs the tests.
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
WERROR ?= $(if $(CI),ON,OFF)

.PHONY: all deps build test test-variants test-sanitize test-clang fuzz fuzz-sweep golden window-picture demo docs bench consumer-check clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B build -DQELTA_WERROR=$(WERROR) $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS)

test: build
	cd build && ctest --output-on-failure -j $(JOBS)

# The suite again as another user, in another time zone and locale, with extra fonts installed.
test-variants: build
	JOBS=$(JOBS) scripts/test-variants.sh build

test-sanitize: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQELTA_SANITIZE=ON -DQELTA_WERROR=$(WERROR) $(CMAKE_FLAGS)
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# The suite built by clang (build-clang/), as the gcc build's, warnings as errors under CI=1.
test-clang: deps
	cmake -S . -B build-clang -DCMAKE_CXX_COMPILER=clang++ -DQELTA_WERROR=$(WERROR) $(CMAKE_FLAGS)
	cmake --build build-clang -j $(JOBS)
	cd build-clang && ctest --output-on-failure -j $(JOBS)

# The fuzz targets as libFuzzer binaries over libraries instrumented for coverage, under ASan and UBSan
# (build-fuzz/). `make fuzz-sweep` fuzzes each for FUZZ_SECONDS on a copy of its corpus (fuzz/README.md).
FUZZ_SECONDS ?= 60
FUZZ_PARALLEL ?= 6
fuzz: deps
	cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQELTA_SANITIZE=ON \
	  -DQELTA_LIBFUZZER=ON -DQELTA_BUILD_TESTS=OFF -DQELTA_BUILD_EXAMPLES=OFF -DQELTA_WERROR=$(WERROR) $(CMAKE_FLAGS)
	cmake --build build-fuzz -j $(JOBS) --target qelta_fuzzers

fuzz-sweep: fuzz
	bash fuzz/sweep.sh build-fuzz $(FUZZ_SECONDS) $(FUZZ_PARALLEL)

# Rewrites the golden pictures and files of the tests (<library>/tests/golden/) from what the code makes
# now; look at the diff of every changed picture or file before committing it.
golden: build
	cd build && QELTA_UPDATE_GOLDEN=1 ctest -j $(JOBS) >/dev/null || true
	@git status --short -- '*/tests/golden/*'

# Makes the README's window picture (examples/quickstart/window.png) afresh: the window quick start, built
# against the installed package, saves what it shows on an Xvfb display. consumer-check fails while the
# picture differs from what the build draws.
window-picture: build
	cmake --install build --prefix build/stage >/dev/null
	cmake -S examples/consumer -B build/consumer -DCMAKE_PREFIX_PATH=$(CURDIR)/build/stage $(CMAKE_FLAGS) >/dev/null
	cmake --build build/consumer -j $(JOBS) --target quickstart_window
	bash scripts/window-picture.sh build/consumer/quickstart_window examples/quickstart/window.png

demo: build
	./build/examples/gallery/gallery build/gallery

# The API reference made by Doxygen from the installed headers' comments, one page per unit with the gallery's
# pictures of it, into build-docs/html (scripts/make-docs.py); any warning fails it.
docs: deps
	cmake -S . -B build -DQELTA_WERROR=$(WERROR) $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS) --target gallery
	./build/examples/gallery/gallery build-docs/gallery >/dev/null
	python3 scripts/make-docs.py build-docs/gallery build-docs

# Builds the benchmarks (build-bench/, Release), runs each once and writes docs/performance.md from that run
# (scripts/bench-report.py). BENCH_ONLY="bench_a bench_b" runs only those and writes build-bench/performance.md.
BENCH_ONLY ?=
bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQELTA_BUILD_BENCH=ON -DQELTA_BUILD_TESTS=OFF \
	  -DQELTA_BUILD_EXAMPLES=OFF $(CMAKE_FLAGS)
	cmake --build build-bench -j $(JOBS)
	python3 scripts/bench-report.py build-bench $(if $(BENCH_ONLY),-o build-bench/performance.md --only $(BENCH_ONLY),-o docs/performance.md)

# Installs into build/stage and builds host programs against it as a user would (see the script).
consumer-check: build
	JOBS=$(JOBS) CMAKE_FLAGS="$(CMAKE_FLAGS)" bash scripts/consumer-check.sh

clean:
	rm -rf build build-asan build-bench build-clang build-docs build-fuzz
