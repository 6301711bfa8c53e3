# The README's two commands: `make demo` and `make test`. Both install what
# is missing (scripts/setup), configure and build first.
JOBS ?= 2
# Where `make install` puts hzfix, the bundle, the manual page, completion
# and the frei0r filter (in ~/.frei0r-1/lib for this default, where ffmpeg,
# GStreamer and MLT look without being told; PREFIX/lib/frei0r-1 otherwise).
PREFIX ?= $(HOME)/.local

.PHONY: demo test test-asan test-portable install build build-asan setup bench screenshots format-check clean fuzz test-be editor-screenshots deb test-deb

setup:
	@./scripts/setup

build: setup
	@cmake --preset default >/dev/null
	@cmake --build --preset default -j $(JOBS)

build-asan: setup
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)

demo: build
	@./scripts/demo build

test: build
	@ctest --preset default -j $(JOBS)

test-asan: build-asan
	@ctest --preset asan -j $(JOBS)

# The same tests with every SIMD fast path off: the portable code is the
# reference the fast paths are held to, and it must pass on its own.
test-portable: build
	@HZ_DISABLE_FAST_PATHS=1 ctest --preset default -j $(JOBS)

install: setup
	@cmake --preset default -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null
	@cmake --build --preset default -j $(JOBS)
	@cmake --install build

bench: build
	@./scripts/setup --bench
	@cmake --preset default >/dev/null
	@cmake --build --preset default -j $(JOBS) --target hz_bench_frame
	@./build/bench/hz_bench_frame

# The dialog's windows as PNGs, taken offscreen.
screenshots: build
	@./build/apps/dialogshots/hz_dialogshots build/HorizonFix.bundle out/screenshots

# Kdenlive and Shotcut under Xvfb on the test projects: the effect's panel in
# each and their players, into docs/images/ (under Xvfb Shotcut 22.12 draws
# no filter's rectangle over its player, its own filters' neither).
editor-screenshots: build
	@./scripts/setup --editors
	@./scripts/editor-screenshots build docs/images

# The Debian package, built in build-deb for /usr: build-deb/horizonfix_*.deb.
deb: setup
	@./scripts/setup --deb
	@JOBS=$(JOBS) ./scripts/deb build-deb

# Installs that package with apt, runs ffmpeg, melt and GStreamer on the
# filter with nothing set to find it, then removes the package and checks
# that nothing of it is left.
test-deb: deb
	@./scripts/test-deb build-deb

# The preferences and resource-file tests on a big-endian machine: built for
# 32-bit PowerPC and run under qemu.
test-be:
	@./scripts/test-be build-be

# The fuzz targets of tests/fuzz, built by clang with the sanitizers in a
# folder of their own, each run for FUZZ_SECONDS.
FUZZ_SECONDS ?= 60
fuzz: setup
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DHZ_FUZZ=ON >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target hz_fuzz_resourcefork hz_fuzz_resource_source \
		hz_fuzz_prefs hz_fuzz_entry
	@./scripts/fuzz build-fuzz $(FUZZ_SECONDS)

format-check:
	@git ls-files '*.c' '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf build build-asan build-fuzz build-be build-deb
