#include "os_library.h"

#if defined(_WIN32)
#  define WIN32_LEAN_AND_MEAN
#  include <windows.h>
#else
#  include <dlfcn.h>
#endif

namespace os_library {

#if defined(_WIN32)

// Narrow names are in the system's code page, as the host's strings are.
void* Open(const char* fileName) { return reinterpret_cast<void*>(::LoadLibraryA(fileName)); }

void* Symbol(void* library, const char* name) {
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

void Close(void* library) { ::FreeLibrary(static_cast<HMODULE>(library)); }

std::string FileOf(const void* address) {
  HMODULE module = nullptr;
  if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(address), &module)) {
    return "";
  }
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return "";
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);  // cut off: try a longer buffer
  }
}

#else

void* Open(const char* fileName) { return dlopen(fileName, RTLD_NOW | RTLD_LOCAL); }

void* Symbol(void* library, const char* name) { return dlsym(library, name); }

void Close(void* library) { dlclose(library); }

std::string FileOf(const void* address) {
  Dl_info info{};
  if (!dladdr(address, &info) || !info.dli_fname) return "";
  return info.dli_fname;
}

#endif

}  // namespace os_library
