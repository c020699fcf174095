// The operating system's loader, the only place where the platform layer
// meets it: libraries loaded by file name, their exported symbols, and the
// file a library or program was loaded from. Declared without the
// framework's headers, whose Win32 names the system's own headers define too.
#pragma once
#include <string>

namespace os_library {

// The library at `fileName` (a path, or a name the loader searches for),
// loaded and kept; null when it cannot be loaded.
void* Open(const char* fileName);
// A function or datum the library exports by `name`; null when none.
void* Symbol(void* library, const char* name);
// Gives back one reference taken by Open.
void Close(void* library);
// The file of the library or program whose code or data holds `address`;
// empty when none.
std::string FileOf(const void* address);

}  // namespace os_library
