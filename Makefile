# Shortcuts for developers; the README's two commands are ./run.sh and ./test.sh,
# which need nothing but a shell on a fresh machine.
.PHONY: run test clean
ARGS ?=

run:
	./run.sh $(ARGS)

test:
	./test.sh

clean:
	rm -rf build
