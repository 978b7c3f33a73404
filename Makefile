# Shorthands for the scripts under scripts/, which are what the README tells a new user to run.
.PHONY: run test asan tsan bench clean

run:
	@scripts/run

test:
	@scripts/test

asan:
	@scripts/test-asan

tsan:
	@scripts/test-tsan

bench:
	@scripts/setup-deps
	@cmake --preset ci >/dev/null
	@cmake --build --preset ci
	@scripts/run-benchmarks build/ci

clean:
	rm -rf build
