// What a front end (a command-line tool, a test) uses to look at and drive
// the platform layer's windows. A library built on the framework never uses
// this header: it sees only the framework's own classes and functions.
//
// All of it is per thread, like the windows and the message queue.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "afxres_table.h"
#include "afxwin.h"

namespace afx_frontend {

enum class WindowKind { Dialog, ProgressBar, Button, Other };

struct WindowInfo {
  HWND hwnd = nullptr;
  HWND parent = nullptr;
  WindowKind kind = WindowKind::Other;
  int id = 0;        // control id; for a dialog, the id of its template
  std::string text;  // dialog caption or control text
};

// Told of every change of a window. The default of each call does nothing.
class AFX_API IWindowBackend {
 public:
  virtual ~IWindowBackend() = default;
  virtual void OnCreate(const WindowInfo& window) { (void)window; }
  virtual void OnDestroy(HWND hwnd) { (void)hwnd; }
  virtual void OnShow(HWND hwnd, bool visible) { (void)hwnd, (void)visible; }
  virtual void OnUpdate(HWND hwnd) { (void)hwnd; }
  virtual void OnProgressRange(HWND hwnd, int low, int high) { (void)hwnd, (void)low, (void)high; }
  // Every PBM_SETPOS, with the position after clamping to the range.
  virtual void OnProgressPos(HWND hwnd, int position) { (void)hwnd, (void)position; }
};

// Installs a backend (null: none) and returns the previous one. The backend
// is not owned.
AFX_API IWindowBackend* SetWindowBackend(IWindowBackend* backend);

// Runs every time the thread looks into its queue (PeekMessage, GetMessage):
// the place where input arrives, so a hook may post messages, for example a
// click when the user pressed Ctrl-C. It does not run again while it runs.
using MessageHook = std::function<void()>;
// Installs a hook (empty: none) and returns the previous one.
AFX_API MessageHook SetMessageHook(MessageHook hook);

// Posts a click on the button `controlId` of `dialog` (BM_CLICK), as a user's
// click would arrive: pumping the queue then makes the button send its
// WM_COMMAND/BN_CLICKED to the dialog. FALSE when there is no such button.
AFX_API bool PostButtonClick(HWND dialog, int controlId);

// The most recently created dialog from template `templateId` that still
// exists, or null.
AFX_API HWND FindDialog(UINT templateId);
// Facts about a window; false for a handle that names no window.
AFX_API bool GetWindowInfo(HWND hwnd, WindowInfo* info);
// Every window of the thread, in the order of creation.
AFX_API std::vector<HWND> ListWindows();
// Messages waiting in the thread's queue.
AFX_API size_t PendingMessageCount();

struct PumpCounters {
  std::uint64_t sleeps = 0;      // Sleep calls
  std::uint64_t peeks = 0;       // PeekMessage and GetMessage calls
  std::uint64_t dispatched = 0;  // messages handed to a window procedure
};
AFX_API PumpCounters GetPumpCounters();

// The file of the library or program whose code or data holds `address`
// ("" when none): how a library finds its own folder, and with it the
// libraries installed beside it.
AFX_API std::string ModuleFileOf(const void* address);

// A resource module made from a table in memory (for a program or a test
// that has no resource library to load). The table must outlive its use.
AFX_API HINSTANCE CreateResourceModule(const AFX_RESOURCE_TABLE* table, const char* name);

// Installs a backend for its lifetime.
class ScopedWindowBackend {
 public:
  explicit ScopedWindowBackend(IWindowBackend* backend) : m_previous(SetWindowBackend(backend)) {}
  ~ScopedWindowBackend() { SetWindowBackend(m_previous); }
  ScopedWindowBackend(const ScopedWindowBackend&) = delete;
  ScopedWindowBackend& operator=(const ScopedWindowBackend&) = delete;

 private:
  IWindowBackend* m_previous;
};

// Installs a message hook for its lifetime.
class ScopedMessageHook {
 public:
  explicit ScopedMessageHook(MessageHook hook) : m_previous(SetMessageHook(std::move(hook))) {}
  ~ScopedMessageHook() { SetMessageHook(std::move(m_previous)); }
  ScopedMessageHook(const ScopedMessageHook&) = delete;
  ScopedMessageHook& operator=(const ScopedMessageHook&) = delete;

 private:
  MessageHook m_previous;
};

// A backend that writes down every call, one line each, for tests. Windows
// are named "dialog:<template id>" and "<dialog name>/<control id>"; the
// lines read "create dialog:102", "create dialog:102/1000", "show dialog:102 1",
// "update dialog:102", "range dialog:102/1000 0 100", "pos dialog:102/1000 33",
// "destroy dialog:102/1000".
class AFX_API RecordingWindowBackend : public IWindowBackend {
 public:
  void OnCreate(const WindowInfo& window) override;
  void OnDestroy(HWND hwnd) override;
  void OnShow(HWND hwnd, bool visible) override;
  void OnUpdate(HWND hwnd) override;
  void OnProgressRange(HWND hwnd, int low, int high) override;
  void OnProgressPos(HWND hwnd, int position) override;

  const std::vector<std::string>& Calls() const { return m_calls; }
  // The calls that start with `prefix` ("pos ", "show ").
  std::vector<std::string> CallsStartingWith(const std::string& prefix) const;
  void Clear() { m_calls.clear(); }
  // The name a window got when it was created ("" for an unknown one).
  std::string NameOf(HWND hwnd) const;

 private:
  struct Named {
    HWND hwnd;
    std::string name;
  };
  std::vector<Named> m_names;
  std::vector<std::string> m_calls;
};

}  // namespace afx_frontend
