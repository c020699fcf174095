#include "import_session.h"

namespace {
CImportSession* g_pCurrentSession = nullptr;
}  // namespace

CImportSession::~CImportSession() {
  if (g_pCurrentSession == this) g_pCurrentSession = nullptr;
}

CImportSession* CImportSession::Current() { return g_pCurrentSession; }

void CImportSession::SetCurrent(CImportSession* session) { g_pCurrentSession = session; }

bool CImportSession::CountObject(const CString& name, int32_t typeId) {
  (void)name, (void)typeId;
  if (m_countingPass) ++m_totalCount;
  return m_countingPass;
}

void CImportSession::AppendObject(const CQEL_SmartPtr<CQEL_Object>& object) {
  if (m_pObjects) m_pObjects->push_back(object);
}
