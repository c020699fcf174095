// Visibility of the host's interface: the host exports these names and a
// module links against them.
#pragma once

#if defined(_WIN32)
#  if defined(QEL_HOST_BUILD)
#    define QEL_HOST_API __declspec(dllexport)
#  else
#    define QEL_HOST_API __declspec(dllimport)
#  endif
#else
#  define QEL_HOST_API __attribute__((visibility("default")))
#endif
