# Entry points. Both install what they need first (Debian packages).
.PHONY: demo test deps build bench clean

deps:
	bash scripts/install-deps.sh

demo: deps
	bash scripts/demo.sh

test:
	bash scripts/test-all.sh

build: deps
	cmake --preset linux && cmake --build --preset linux -j2
	cmake --preset win32 && cmake --build --preset win32 -j2
	cmake --preset win64 && cmake --build --preset win64 -j2

bench: deps
	cmake --preset linux && cmake --build --preset linux -j2 --target bench_signal_path
	./build/linux/bench/effect/bench_signal_path --benchmark_min_time=0.5

clean:
	rm -rf build
