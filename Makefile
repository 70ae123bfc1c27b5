# Thin wrappers: every target installs what is missing, configures and builds first.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test bench screenshots format clean

deps:
	scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/bin/vantrel

test: build
	ctest --test-dir $(BUILD_DIR) -j $(JOBS) --output-on-failure --timeout 300

bench:
	scripts/install-deps --bench
	cmake -S . -B $(BUILD_DIR)-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_BUILD_BENCH=ON -DVANTREL_BUILD_TESTS=ON
	cmake --build $(BUILD_DIR)-bench -j $(JOBS)
	for b in $(BUILD_DIR)-bench/bin/bench_*; do $$b; done

# The README's pictures of the forms, taken offscreen against fake devices.
screenshots: build
	$(BUILD_DIR)/bin/screenshots docs

format:
	find src apps tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(BUILD_DIR)-bench
