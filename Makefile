# Quick start: `make run` opens the window, `make test` runs every test, `make check` builds and runs the tests
# of the build folder only (no package install, no sanitizer, fuzzing, Windows or unprivileged run).
BUILD   ?= build
JOBS    ?= 2
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release
SANITIZE_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
TSAN_TESTS ?= test_worker_run tst_startaction tst_windowpace tst_badinput
FUZZ_BUILD ?= build-fuzz
WINDOWS_BUILD ?= build-windows
# The release's own folders (see packaging/release.sh), so that the tests' and the bench's builds never change.
PACKAGE_BUILD ?= build-package
WINDOWS_PACKAGE_BUILD ?= build-windows-package
FUZZ_SECONDS ?= 30
# The checked builds trade optimisation and full debug information for build time: the checkers want -O1 at least,
# and line tables are all their reports read.
CHECKED_FLAGS = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
	-DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DZARVEL_BUILD_BENCH=OFF
# Warnings stop the build in CI only, where a new one must be fixed before it lands; locally they are shown.
WERROR := $(if $(filter true 1 yes,$(CI)),ON,OFF)

.PHONY: all deps test-deps configure build run check test unprivileged windows sanitize tsan fuzz bench package reproducible format clean

all: build

deps:
	tools/install-deps.sh build

test-deps:
	tools/install-deps.sh test

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DZARVEL_WERROR=$(WERROR)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/zarvel

# Daily work: build what changed and run the tests of the build folder.
check:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DZARVEL_WERROR=$(WERROR)
	cmake --build $(BUILD) -j$(JOBS)
	ctest --test-dir $(BUILD) --output-on-failure

test: test-deps build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)
	$(MAKE) unprivileged
	$(MAKE) windows
	docs/check-reliability.sh
	$(MAKE) sanitize
	$(MAKE) tsan
	$(MAKE) fuzz

# The engine tests once more as a user without privileges, as a developer runs them.
unprivileged:
	tools/unprivileged-tests.sh $(BUILD)

# The engine, the app library and their portable tests cross-built for Windows and run under Wine.
windows: test-deps
	tests/windows/run.sh $(WINDOWS_BUILD) $(JOBS)

# Every test again, built with AddressSanitizer and UndefinedBehaviorSanitizer; the first report fails the run.
# The cross compiler's syntax check is left out: it compiles nothing of this build.
# Warnings are gated by the Release build alone: GCC's sanitizer instrumentation raises false ones of its own.
sanitize: test-deps
	cmake -S . -B $(SANITIZE_BUILD) $(CHECKED_FLAGS) -DZARVEL_SANITIZE=ON
	cmake --build $(SANITIZE_BUILD) -j$(JOBS)
	ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/fuzz/lsan-qt.supp:print_suppressions=0 \
	ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j$(JOBS) --label-exclude windows

# The tests that run the engine on its worker thread (the app's run, and the window around it), built with
# ThreadSanitizer; the first report fails the run.
# Qt is not instrumented: its own locks are invisible to the checker, so what Qt's libraries do through the
# intercepted calls (QtTest's watchdog thread, for one) is not checked; everything compiled here is.
tsan: test-deps
	cmake -S . -B $(TSAN_BUILD) $(CHECKED_FLAGS) -DZARVEL_TSAN=ON -DZARVEL_TEST_SET="$(TSAN_TESTS)"
	cmake --build $(TSAN_BUILD) -j$(JOBS) --target zarvel_test_set
	TSAN_OPTIONS=halt_on_error=1:exitcode=66:second_deadlock_stack=1:ignore_noninstrumented_modules=1 \
	ctest --test-dir $(TSAN_BUILD) --output-on-failure -j$(JOBS) -R '^($(subst $(eval) ,|,$(strip $(TSAN_TESTS))))$$'

# A bounded libFuzzer run of every fuzz/*_fuzz.cpp target on a copy of its committed corpus.
fuzz:
	tools/install-deps.sh fuzz
	CXX=clang++-14 CC=clang-14 cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARVEL_FUZZ=ON \
		-DZARVEL_BUILD_TESTS=OFF -DZARVEL_BUILD_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target zarvel_fuzzers
	fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench:
	tools/install-deps.sh bench
	$(MAKE) configure
	cmake --build $(BUILD) -j$(JOBS) --target zarvel_benches
	bench/run.sh $(BUILD)

# The Debian package and the Windows zip in $(PACKAGE_BUILD)/package/ with SHA256SUMS, checked before it ends (see
# packaging/release.sh); `make package SIGN_KEY=key.pem SIGN_CERT=cert.pem` signs zarvel.exe.
package:
	tools/install-deps.sh package
	SIGN_KEY='$(SIGN_KEY)' SIGN_CERT='$(SIGN_CERT)' packaging/release.sh $(PACKAGE_BUILD) $(WINDOWS_PACKAGE_BUILD) $(JOBS)

# `make package` in two fresh clones of the last commit, in two temporary folders: their artifacts must be the same.
reproducible:
	tools/install-deps.sh package
	tools/reproducible.sh $(JOBS)

format:
	find engine app ui tests bench tools fuzz main.cpp -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD) $(WINDOWS_BUILD) build-*/
