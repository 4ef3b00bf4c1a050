# The two commands of the README:
#   make run    installs what is missing, builds the release game and starts it
#   make test   installs what is missing, builds the checked debug build and runs every test
# Extra arguments for the game go in ARGS, for example: make run ARGS=--window

.PHONY: run test build deps clean

ARGS ?=

deps:
	@./tools/install-deps.sh

build: deps
	cmake --preset release
	cmake --build --preset release

run: build
	./build/release/fompy-talden $(ARGS)

test: deps
	cmake --preset debug
	cmake --build --preset debug
	ctest --preset debug

clean:
	rm -rf build
