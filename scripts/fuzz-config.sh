#!/usr/bin/env bash
# Fuzzes the readers of the configuration document (login match, program table, editor model, and
# the rewrite with its reload): scripts/fuzz.sh config_reader, kept under its old name.
# Usage: scripts/fuzz-config.sh [seconds] [more libFuzzer options...]
exec "$(dirname "${BASH_SOURCE[0]}")/fuzz.sh" config_reader "$@"
