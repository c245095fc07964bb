#!/usr/bin/env bash
# The plug-in library must export its six entry points and no other function of ours.
set -euo pipefail
lib=${1:?library}
expected="LoadInfoAction LoadInfoEdit LoadInfoForm LoadInfoFrame LoadInfoView SetDllEnvironment"
# Defined dynamic symbols, without the linker's and the runtime's own (_init, _fini, ...).
actual=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[TtWwDdBbVvRr]$/ {print $3}' \
    | grep -vE '^(_init|_fini|_edata|_end|__bss_start)$' | sort | tr '\n' ' ' | sed 's/ $//')
if [ "$actual" != "$expected" ]; then
    echo "expected exports: $expected"
    echo "actual exports:   $actual"
    exit 1
fi
echo "exports: $actual"
