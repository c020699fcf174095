// Run-time class information and the exception base classes.
#include <cstdio>
#include <cstring>

#include "afx.h"
#include "comdef.h"

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
  for (const CRuntimeClass* cls = this; cls; cls = cls->GetBaseClass()) {
    if (cls == base) return TRUE;
  }
  return FALSE;
}

CObject::~CObject() = default;

CRuntimeClass* CObject::GetThisClass() {
  static CRuntimeClass runtimeClass = {"CObject", static_cast<int>(sizeof(CObject)), nullptr};
  return &runtimeClass;
}

CRuntimeClass* CObject::GetRuntimeClass() const { return GetThisClass(); }

BOOL CObject::IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

IMPLEMENT_DYNAMIC(CException, CObject)

CException::~CException() = default;

BOOL CException::GetErrorMessage(LPTSTR error, UINT maxError, PUINT helpContext) const {
  if (helpContext) *helpContext = 0;
  if (error && maxError > 0) *error = '\0';
  return FALSE;
}

void CException::Delete() {
  if (m_bAutoDelete) delete this;
}

_com_error::~_com_error() = default;

std::string _com_error::ErrorMessage() const {
  if (!m_description.empty()) return m_description;
  char text[32];
  std::snprintf(text, sizeof text, "error 0x%08X", static_cast<unsigned>(m_result));
  return text;
}
