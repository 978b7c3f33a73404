# Shorthands for the scripts under scripts/, which are what the README tells a new user to run.
.PHONY: run test asan bench clean

run:
	@scripts/run

test:
	@scripts/test

asan:
	@scripts/test-asan

bench:
	@scripts/setup-deps
	@cmake --preset ci >/dev/null
	@cmake --build --preset ci
	@scripts/run-benchmarks build/ci

clean:
	rm -rf build
