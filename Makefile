# Shortcuts for the two commands the README gives.
.PHONY: test run fuzz bench
test:
	./scripts/test
run:
	./scripts/run
fuzz:
	./scripts/fuzz
bench:
	./scripts/bench
