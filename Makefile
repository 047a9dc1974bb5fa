# Quick start: `make run` opens the window, `make test` runs every test.
BUILD   ?= build
JOBS    ?= 2
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release

.PHONY: all deps test-deps configure build run test bench format clean

all: build

deps:
	tools/install-deps.sh build

test-deps:
	tools/install-deps.sh test

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/zarvel

test: test-deps build
	ctest --test-dir $(BUILD) --output-on-failure

bench:
	tools/install-deps.sh bench
	$(MAKE) configure
	cmake --build $(BUILD) -j$(JOBS) --target zarvel_benches
	bench/run.sh $(BUILD)

format:
	find engine ui tests bench tools main.cpp -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
