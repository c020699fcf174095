// Common controls: the progress bar.
#pragma once
#include "afxwin.h"

// Progress bar messages. The bar keeps its range and a position that is
// clamped to the range.
#define PBM_SETPOS 1026      // wParam: new position; returns the previous one
#define PBM_SETRANGE32 1030  // wParam: low, lParam: high; returns the previous range
#define PBM_GETRANGE 1031    // wParam: TRUE for low, FALSE for high
#define PBM_GETPOS 1032      // returns the position

class AFX_API CProgressCtrl : public CWnd {
 public:
  void SetRange32(int low, int high) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(low), high); }
  int SetPos(int position) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(position))); }
  int GetPos() { return static_cast<int>(SendMessage(PBM_GETPOS)); }

  static CRuntimeClass* GetThisClass();
  CRuntimeClass* GetRuntimeClass() const override;
};
