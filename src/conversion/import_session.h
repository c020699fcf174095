// The import session as the conversion sees it: the counters and flags that
// the two passes read and write, where converted objects go, and the progress
// operations that the session behind it provides.
//
// The session layer derives its CImporter from this class and makes it the
// one current session while an import is open; the conversion reaches it
// through CImportSession::Current().
#pragma once
#include <cstdint>
#include <vector>

#include <afxstr.h>

#include "object_judgement.h"
#include "qel_Objects.h"

class CImportSession {
 public:
  // Polygon objects with more polygons than this need the user's consent
  // (compared unsigned and strictly: this many pass).
  static constexpr uint32_t LargeObjectLimit = kLargeObjectPolygonLimit;

  CImportSession() = default;
  CImportSession(const CImportSession&) = delete;
  CImportSession& operator=(const CImportSession&) = delete;
  virtual ~CImportSession();

  // The open session, or null when none is open.
  static CImportSession* Current();
  static void SetCurrent(CImportSession* session);

  // In the counting pass: counts one convertible object. Returns whether the
  // counting pass runs; a caller that gets true returns at once. The name and
  // type id only say which object asked.
  bool CountObject(const CString& name, int32_t typeId);
  // One more object converted: counts it and moves the progress bar.
  virtual void StepProgress() = 0;
  // Whether the user pressed the progress dialog's Cancel button.
  virtual bool IsCancelled() const = 0;

  // Appends a converted object to the host's vector.
  void AppendObject(const CQEL_SmartPtr<CQEL_Object>& object);

  CString m_path;                  // the file being imported
  uint32_t m_totalCount = 0;       // objects counted as convertible; only ever raised
  uint32_t m_convertedCount = 0;   // objects converted in the current pass
  uint32_t m_maxPolygonCount = 0;  // largest polygon count seen while counting
  bool m_convertLarge = false;     // the user agreed to convert objects above the limit
  std::vector<CQEL_SmartPtr<CQEL_Object>>* m_pObjects = nullptr;  // the host's vector, not owned
  bool m_countingPass = false;     // true only while the counting pass runs
};
