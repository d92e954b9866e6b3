# Shortcuts for the two commands the README gives.
.PHONY: test run
test:
	./scripts/test
run:
	./scripts/run
