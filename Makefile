# The two commands of the README. Both install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: run test configure deps clean

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

# The program alone: a new user waits only for what they run.
run: configure
	@cmake --build $(BUILD) -j $(JOBS) --target pos
	@scripts/run-pos $(BUILD)

test: configure
	@cmake --build $(BUILD) -j $(JOBS)
	@scripts/test-all $(BUILD)

clean:
	rm -rf $(BUILD)
