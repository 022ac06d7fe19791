# Two commands for a newcomer: `make run` and `make test`. Each installs what
# is missing, then builds.
BUILD ?= build

.PHONY: all deps build run test bench clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -G Ninja >/dev/null
	@cmake --build $(BUILD)

# Runs the tool on the bundled sample DLL in a scratch directory: lists its
# exports and header, then makes its import library.
run: build
	@rm -rf $(BUILD)/run && mkdir -p $(BUILD)/run
	@cp $(BUILD)/sample/sample.dll $(BUILD)/run/
	cd $(BUILD)/run && ../bin/vortane -e -r sample.dll
	cd $(BUILD)/run && ../bin/vortane sample.dll
	@ls -l $(BUILD)/run

# Wine's prefix is made once before the tests, so that tests running side
# by side do not both set it up.
test: build
	@if command -v wineboot >/dev/null; then WINEDEBUG=-all wineboot --init >/dev/null 2>&1 || true; fi
	@cd $(BUILD) && ctest --output-on-failure -j2

bench: build
	@bash bench/run.sh $(BUILD)

clean:
	rm -rf $(BUILD)
