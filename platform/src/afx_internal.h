// Internals shared by the platform layer's sources: the thread's windows and
// queue, and the loaded resource modules.
#pragma once
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "afx_frontend.h"
#include "afxres_table.h"
#include "afxwin.h"

namespace afx_internal {

struct Window {
  HWND hwnd = nullptr;
  HWND parent = nullptr;
  afx_frontend::WindowKind kind = afx_frontend::WindowKind::Other;
  int id = 0;
  std::string text;
  CWnd* owner = nullptr;  // the attached framework object, if any
  bool visible = false;
  int rangeLow = 0;  // progress bar
  int rangeHigh = 100;
  int position = 0;
  std::vector<HWND> children;
};

struct ThreadState {
  ThreadState();
  ~ThreadState();
  // Keyed by handle value; handles grow, so the order is the creation order.
  std::map<std::uintptr_t, Window> windows;
  std::uintptr_t nextHandle = 0x1000;
  std::deque<MSG> queue;
  afx_frontend::IWindowBackend* backend = nullptr;
  afx_frontend::MessageHook hook;
  bool inHook = false;
  afx_frontend::PumpCounters counters;
};

// The calling thread's state; null once the thread's state has been torn
// down at exit (late destructors of framework objects then do nothing).
ThreadState* Thread();
Window* FindWindow(HWND hwnd);
// Makes a window record and tells the backend.
HWND CreateWindowRecord(HWND parent, afx_frontend::WindowKind kind, int id, const std::string& text);

afx_frontend::WindowKind KindOfControlClass(const char* windowClass);

// Resources of a module handle; null when it has none of that id.
const char* FindStringResource(HINSTANCE module, UINT id);
const AFX_DIALOG_TEMPLATE* FindDialogTemplate(HINSTANCE module, UINT id);

}  // namespace afx_internal
