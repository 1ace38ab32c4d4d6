# Entry points. Both install what they need first (Debian packages).
.PHONY: demo test deps build bench dist clean

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

# Builds every benchmark (the `benchmarks` target collects them) and runs each.
bench: deps
	cmake --preset linux && cmake --build --preset linux -j2 --target benchmarks
	for b in $$(find build/linux/bench -type f -perm -u+x -name '*bench*' | sort); do \
	  echo "== $$b"; $$b --benchmark_min_time=0.5 || exit 1; \
	done

# The release archives, the Debian package and SHA256SUMS in build/dist/
# (scripts/dist.sh); two runs of one commit give the same bytes.
dist: deps
	bash scripts/dist.sh

clean:
	rm -rf build
