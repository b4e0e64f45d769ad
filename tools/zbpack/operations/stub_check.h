// Which program `zbpack pack` puts in front of the archive: only a Zubrex stub, recognised by
// what it carries, never by its name.
#pragma once
#include <string>

// Empty when the file at path is a Zubrex stub: a Windows GUI program for x86 (i386, or the
// x86-64 build of the same stub) that carries the stub mark (archive/stub_mark.h), below
// 4 GiB, with no archive behind it yet. Otherwise the reason, for "zbpack: PATH: reason".
std::string StubProblem(const std::string& path);

// The stub used when --stub is left out: zubrex-stub.exe beside the zbpack executable, else
// the one of the build tree (zbpack in build/host/bin, the stub in build/win32/bin, then
// build/win64/bin). Empty when none of them exists.
std::string DefaultStubPath();
