# Entry points. Every target first makes sure the machine has what it needs.
PRESETS := linux-i386 linux-i386-asan win32
JOBS := 2

.PHONY: all setup build demo test bench format

all: build

setup:
	@bash scripts/setup

# build-<preset> and test-<preset> (pattern rules, so not declared phony).
build-%: setup
	@cmake --preset $* >/dev/null
	@cmake --build --preset $* -j $(JOBS)

build: $(addprefix build-,$(PRESETS))

test-%: build-%
	@ctest --preset $* -j $(JOBS) --no-tests=error

# All three builds: native, sanitizers, Windows under Wine.
test: build
	@status=0; for p in $(PRESETS); do \
	  echo "== tests: $$p"; ctest --preset $$p -j $(JOBS) --no-tests=error || status=1; \
	done; exit $$status

demo: build
	@bash scripts/demo

bench: build-linux-i386
	@bash scripts/bench build/linux-i386

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i
