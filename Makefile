# SPDX-License-Identifier: MIT
# Shortcuts for developers; the README's two commands are ./run.sh and ./test.sh,
# which need nothing but a shell on a fresh machine.
.PHONY: run test clean web windows
ARGS ?=

run:
	./run.sh $(ARGS)

test:
	./test.sh

clean:
	rm -rf build

# The web version in build/web/ (see the README's "Playing in the browser").
web:
	./web.sh

# The Windows version in build/windows/ (see the README's "Playing on Windows").
windows:
	./windows.sh
