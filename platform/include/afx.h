// The core of the platform layer: the Win32 scalar types and helpers that the
// window classes use, run-time class information, and the exception base.
#pragma once
#include <cstddef>
#include <cstdint>

#include "afx_export.h"

typedef int BOOL;
typedef unsigned int UINT;
typedef std::uint32_t DWORD;
typedef std::uint16_t WORD;
typedef std::int32_t LONG;
typedef std::int32_t HRESULT;
typedef std::uintptr_t WPARAM;
typedef std::intptr_t LPARAM;
typedef std::intptr_t LRESULT;
typedef std::intptr_t INT_PTR;
typedef std::uintptr_t UINT_PTR;
typedef char* LPTSTR;
typedef const char* LPCTSTR;
typedef UINT* PUINT;

#ifndef TRUE
#  define TRUE 1
#endif
#ifndef FALSE
#  define FALSE 0
#endif

// Handles are opaque; only the platform layer knows what they point to.
typedef struct HWND__* HWND;
typedef struct HINSTANCE__* HINSTANCE;

inline WORD LOWORD(std::uintptr_t value) { return static_cast<WORD>(value & 0xFFFF); }
inline WORD HIWORD(std::uintptr_t value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }
inline WPARAM MAKEWPARAM(WORD low, WORD high) {
  return static_cast<WPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
inline LRESULT MAKELRESULT(WORD low, WORD high) {
  return static_cast<LRESULT>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}

// Message box buttons and answers of the host's question boxes.
#define MB_OK 0
#define MB_OKCANCEL 1
#define MB_YESNOCANCEL 3
#define MB_YESNO 4
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7

// Marks message handlers in class declarations; has no effect.
#define afx_msg

class CObject;

// Run-time class information: a class name and the way to its base.
struct AFX_API CRuntimeClass {
  const char* m_lpszClassName;
  int m_nObjectSize;
  CRuntimeClass* (*m_pfnGetBaseClass)();

  CRuntimeClass* GetBaseClass() const { return m_pfnGetBaseClass ? m_pfnGetBaseClass() : nullptr; }
  BOOL IsDerivedFrom(const CRuntimeClass* base) const;
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

// DECLARE_DYNAMIC in the class, IMPLEMENT_DYNAMIC(class, base) in one source file.
#define DECLARE_DYNAMIC(class_name)            \
 public:                                       \
  static CRuntimeClass* GetThisClass();        \
  CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                       \
  CRuntimeClass* class_name::GetThisClass() {                                                \
    static CRuntimeClass runtimeClass = {#class_name, static_cast<int>(sizeof(class_name)), \
                                         &base_class_name::GetThisClass};                    \
    return &runtimeClass;                                                                    \
  }                                                                                          \
  CRuntimeClass* class_name::GetRuntimeClass() const { return GetThisClass(); }

class AFX_API CObject {
 public:
  virtual ~CObject();
  virtual CRuntimeClass* GetRuntimeClass() const;
  BOOL IsKindOf(const CRuntimeClass* cls) const;
  static CRuntimeClass* GetThisClass();

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

// Base of the framework's exceptions, thrown by pointer; the catcher calls
// Delete() when done with one.
class AFX_API CException : public CObject {
 public:
  explicit CException(BOOL autoDelete = TRUE) : m_bAutoDelete(autoDelete) {}
  ~CException() override;
  // Copies the description into `error` (at most maxError bytes with the
  // terminating 0); FALSE when the exception has none.
  virtual BOOL GetErrorMessage(LPTSTR error, UINT maxError, PUINT helpContext = nullptr) const;
  // Frees an exception created with new; does nothing for one that is not.
  void Delete();
  static CRuntimeClass* GetThisClass();
  CRuntimeClass* GetRuntimeClass() const override;

 protected:
  BOOL m_bAutoDelete;
};

#include "afxstr.h"
