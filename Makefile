# Two entry points for a fresh machine: `make run` builds and starts the program,
# `make test` installs what is missing, then builds and runs every test twice:
# a normal build and one under AddressSanitizer and UndefinedBehaviorSanitizer.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
# Warnings are errors in the test builds; `make build` and `make run` keep them warnings.
WERROR ?= OFF
PREFIX ?= /usr/local

.PHONY: deps build test test-plain test-asan format-check run install bench fuzz clean

deps:
	bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKO_WERROR=$(WERROR)
	cmake --build $(BUILD) -j $(JOBS)

test-plain: WERROR = ON
test-plain: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVELKO_SANITIZE=ON -DVELKO_WERROR=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_leaks=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

# A file laid out otherwise than .clang-format says fails `make test`.
format-check: deps
	bash scripts/check-format.sh

test: format-check test-plain test-asan

run: build
	bash scripts/run.sh $(BUILD)

# Installs under PREFIX (below DESTDIR when given): bin/velko-q37 starts the program in the
# user's folder of side files.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

bench: build
	bash scripts/bench.sh $(BUILD)

# The settings-file fuzz target (clang, libFuzzer); not part of `make test`.
fuzz:
	bash scripts/fuzz.sh

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
