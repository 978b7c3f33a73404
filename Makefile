# The two commands a new user runs: `make run` and `make test`. Both install what the build needs.
.PHONY: run test asan bench deps clean

deps:
	@scripts/setup-deps

run: deps
	@cmake --preset dev >/dev/null
	@cmake --build --preset dev
	@scripts/run-logger build/dev

test: deps
	@cmake --preset ci >/dev/null
	@cmake --build --preset ci
	@ctest --preset ci

asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan
	@ctest --preset asan

bench: deps
	@cmake --preset ci >/dev/null
	@cmake --build --preset ci
	@scripts/run-benchmarks build/ci

clean:
	rm -rf build
