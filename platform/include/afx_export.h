// Visibility of the platform layer's public names. Everything the layer offers
// is exported from libtessaro_afx; the rest of the library stays hidden.
#pragma once

#if defined(_WIN32)
#  if defined(TESSARO_AFX_BUILD)
#    define AFX_API __declspec(dllexport)
#  else
#    define AFX_API __declspec(dllimport)
#  endif
#  define AFX_MODULE_LOCAL
#else
#  define AFX_API __attribute__((visibility("default")))
// A name that every shared object including this header gets a copy of its
// own, never bound to another object's copy (the static part of a module).
#  define AFX_MODULE_LOCAL __attribute__((visibility("hidden")))
#endif

// A C function that a library exports by name, for whoever looks it up in
// the loaded library (GetProcAddress, dlsym) or links against it.
#if defined(_WIN32)
#  define AFX_EXPORT_C extern "C" __declspec(dllexport)
#else
#  define AFX_EXPORT_C extern "C" __attribute__((visibility("default")))
#endif
