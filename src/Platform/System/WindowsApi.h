#pragma once

// The few Windows calls the system makes, on POSIX. Paths reach us as wide strings that were widened
// byte by byte from narrow paths; they are narrowed back to exactly those bytes.

#include <string>

#include "Platform/Direct3D/D3D9Types.h"

// FILE_ATTRIBUTE_DIRECTORY and/or FILE_ATTRIBUTE_READONLY (no write permission bit at all), or
// FILE_ATTRIBUTE_NORMAL; INVALID_FILE_ATTRIBUTES when the path cannot be examined. Backslashes are
// folder separators, as they are for the common services that answer the question.
DWORD GetFileAttributesW(LPCWSTR fileName);

// Creates one folder (mode 0777 before the umask); backslashes are folder separators. FALSE when it
// cannot be created, also when it already exists. The security attributes are ignored and may be null.
BOOL CreateDirectoryA(LPCSTR pathName, void* securityAttributes);

// Suspends the calling thread for the given number of milliseconds.
void Sleep(DWORD milliseconds);

// The narrow path a wide path was widened from: every code unit becomes the byte of its low 8 bits.
std::string narrowWidePath(LPCWSTR path);

// The file a wide path names here: its narrow bytes with backslashes taken as folder separators, as
// every file call of the layer (and the common services) takes them.
std::string fileSystemPath(LPCWSTR path);
