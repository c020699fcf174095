// The window part of the platform layer: the thread's message queue and
// windows (Win32 functions), the module state, and the framework classes
// CCmdTarget, CWnd, CDialog, CButton, CWinThread and CWinApp.
//
// Windows here have no pixels. The layer keeps, per thread, a table of
// windows and a queue of posted messages; a front end that wants to show
// windows installs a window backend (afx_frontend.h) and is told of every
// change. Everything runs on the calling thread; nothing ever blocks.
#pragma once
#include <cstring>

#include "afx.h"

// ---- Messages -------------------------------------------------------------

#define WM_NULL 0x0000
#define WM_DESTROY 0x0002
#define WM_QUIT 0x0012
#define WM_COMMAND 0x0111
#define WM_USER 0x0400
#define BM_CLICK 0x00F5
#define BN_CLICKED 0

#define SW_HIDE 0
#define SW_SHOW 5

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
typedef MSG* LPMSG;

// Calls the window's procedure at once and returns its result; 0 for a
// handle that names no window.
AFX_API LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Appends a message to the thread's queue. FALSE when hwnd is not null and
// names no window.
AFX_API BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
AFX_API void PostQuitMessage(int exitCode);
// Looks for a message of `hwnd` (any window of the thread when null) within
// the filter range (all messages when both are 0); with PM_REMOVE it is taken
// out of the queue. Before looking, the front end's message hook runs, as this
// is where input reaches a thread's queue.
AFX_API BOOL PeekMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg);
// Takes the next message out of the queue. Returns 0 for WM_QUIT and -1
// when the queue is empty: no other thread can post here, so there is
// nothing to wait for.
AFX_API BOOL GetMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax);
AFX_API BOOL TranslateMessage(const MSG* msg);
// Hands a message to its window's procedure; a message for a window that
// no longer exists, or for no window, is dropped.
AFX_API LRESULT DispatchMessage(const MSG* msg);
// The behaviour that a window's class gives it (progress bar, button, ...).
AFX_API LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Returns whether the window was visible before.
AFX_API BOOL ShowWindow(HWND hwnd, int cmdShow);
AFX_API BOOL UpdateWindow(HWND hwnd);
// Destroys the window and its children, children first.
AFX_API BOOL DestroyWindow(HWND hwnd);
AFX_API BOOL IsWindow(HWND hwnd);
AFX_API BOOL IsWindowVisible(HWND hwnd);
AFX_API HWND GetParent(HWND hwnd);
AFX_API HWND GetDlgItem(HWND dialog, int controlId);
AFX_API int GetDlgCtrlID(HWND hwnd);

// Sleep(0) gives up the rest of the time slice.
AFX_API void Sleep(DWORD milliseconds);

// Loads a resource library by file name (afxres_table.h). Loading the same
// file again gives the same handle; libraries stay loaded. Null when the
// file cannot be loaded.
AFX_API HINSTANCE LoadLibrary(const char* fileName);
// Copies the file name the module was loaded from; returns its length, 0
// for an unknown handle.
AFX_API DWORD GetModuleFileName(HINSTANCE module, LPTSTR fileName, DWORD size);

// ---- Module state ---------------------------------------------------------

class CWinApp;
class CWinThread;
class CWnd;

// What the framework keeps per module: the program and each regular library
// built on the framework have one. The thread's current module state says
// which module's resources and application object are in use.
struct AFX_MODULE_STATE {
  HINSTANCE m_hCurrentInstanceHandle = nullptr;
  HINSTANCE m_hCurrentResourceHandle = nullptr;  // where strings and dialogs are loaded from
  const char* m_lpszCurrentAppName = nullptr;    // the application object's name once started
  CWinApp* m_pCurrentWinApp = nullptr;
  CWinThread* m_pCurrentWinThread = nullptr;
  BOOL m_bAppStarted = FALSE;                    // InitInstance has run
};

// The thread's current module state (the program's own until switched).
AFX_API AFX_MODULE_STATE* AfxGetModuleState();
// The program's own module state.
AFX_API AFX_MODULE_STATE* AfxGetAppModuleState();
// Makes `state` the thread's current one and returns the previous one. The
// first time a module's state with an application object becomes current,
// that application is started (its name published, InitInstance run), as a
// library's application starts when the library is loaded.
AFX_API AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* state);

// The module state of the shared object that calls it: each library (and the
// program) that includes this header has its own.
AFX_MODULE_LOCAL inline AFX_MODULE_STATE* AfxGetStaticModuleState() {
  static AFX_MODULE_STATE moduleState;
  return &moduleState;
}

// Switches to a module state for its lifetime and restores the previous one
// when it ends, also when it ends by an exception.
class AFX_API AFX_MAINTAIN_STATE2 {
 public:
  explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state);
  ~AFX_MAINTAIN_STATE2();
  AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
  AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

 private:
  AFX_MODULE_STATE* m_pPrevModuleState;
};

// First statement of every entry point of a library built on the framework.
#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE2 _ctlState(p)

AFX_API HINSTANCE AfxGetResourceHandle();
AFX_API void AfxSetResourceHandle(HINSTANCE resource);
AFX_API HINSTANCE AfxGetInstanceHandle();
AFX_API CWinApp* AfxGetApp();
AFX_API const char* AfxGetAppName();
// The current module's thread object (its application object), or null.
AFX_API CWinThread* AfxGetThread();

// ---- Command targets and message maps -------------------------------------

class CCmdTarget;
typedef void (CCmdTarget::*AFX_PMSG)();

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;  // WM_COMMAND; 0 ends the entries
  UINT nCode;     // notification code, BN_CLICKED for a click
  UINT nID;       // control id
  AFX_PMSG pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

// In the class: DECLARE_MESSAGE_MAP(). In one source file:
//   BEGIN_MESSAGE_MAP(CMyDialog, CDialog)
//     ON_BN_CLICKED(IDCANCEL, &CMyDialog::OnCancelClicked)
//   END_MESSAGE_MAP()
#define DECLARE_MESSAGE_MAP()                        \
 protected:                                          \
  static const AFX_MSGMAP* GetThisMessageMap();      \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                   \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                              \
    using ThisClass [[maybe_unused]] = theClass;                                 \
    typedef baseClass TheBaseClass;                                              \
    static const AFX_MSGMAP_ENTRY messageEntries[] = {

#define ON_COMMAND_CODE(code, id, memberFxn) \
  {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<AFX_PMSG>(memberFxn)},
#define ON_COMMAND(id, memberFxn) ON_COMMAND_CODE(BN_CLICKED, id, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_COMMAND_CODE(BN_CLICKED, id, memberFxn)

#define END_MESSAGE_MAP()                                                     \
    {0, 0, 0, nullptr}};                                                      \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, \
                                          &messageEntries[0]};              \
    return &messageMap;                                                       \
  }

class AFX_API CCmdTarget : public CObject {
 public:
  // Runs the handler that the message maps (this class's first, then its
  // bases') name for command `id` with notification `code`. FALSE when none.
  virtual BOOL OnCmdMsg(UINT id, int code);
  static CRuntimeClass* GetThisClass();
  CRuntimeClass* GetRuntimeClass() const override;

 protected:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;
};

// ---- Windows --------------------------------------------------------------

// A framework object attached to a window. Messages for the window go to
// WindowProc first; what it leaves goes to the window class's behaviour.
class AFX_API CWnd : public CCmdTarget {
 public:
  CWnd() = default;
  // Destroys the window if it is still attached.
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND GetSafeHwnd() const { return m_hWnd; }
  BOOL ShowWindow(int cmdShow);
  void UpdateWindow();
  virtual BOOL DestroyWindow();
  BOOL IsWindowVisible() const;
  int GetDlgCtrlID() const;
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  // Attaches this object to an existing window that has none.
  BOOL SubclassWindow(HWND hwnd);
  // Detaches the window from this object and returns it.
  HWND UnsubclassWindow();
  // The object attached to a window, or null.
  static CWnd* FromHandlePermanent(HWND hwnd);

  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  static CRuntimeClass* GetThisClass();
  CRuntimeClass* GetRuntimeClass() const override;

  HWND m_hWnd = nullptr;

 protected:
  // WM_COMMAND: the message maps for (LOWORD(wParam), HIWORD(wParam)).
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
};

class AFX_API CDataExchange {
 public:
  CDataExchange(CWnd* dialog, BOOL saveAndValidate)
      : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
};

// Attaches `control` to the dialog's control `controlId` (once; an already
// attached control is left as it is). A missing control leaves it detached.
AFX_API void DDX_Control(CDataExchange* pDX, int controlId, CWnd& control);

class AFX_API CDialog : public CWnd {
 public:
  CDialog() = default;
  explicit CDialog(UINT templateId, CWnd* parent = nullptr)
      : m_nIDTemplate(templateId), m_pParentWnd(parent) {}
  // Destroys the window if it is still there.
  ~CDialog() override;

  // Creates the dialog as a modeless window, hidden, from dialog template
  // `templateId` of the current resource handle, with a child window per
  // control of the template, then runs OnInitDialog. FALSE when the handle
  // has no such template.
  virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
  // Binds the controls (UpdateData(FALSE)); returns TRUE.
  virtual BOOL OnInitDialog();
  BOOL UpdateData(BOOL saveAndValidate = TRUE);
  UINT GetTemplateId() const { return m_nIDTemplate; }

  static CRuntimeClass* GetThisClass();
  CRuntimeClass* GetRuntimeClass() const override;

 protected:
  virtual void DoDataExchange(CDataExchange* pDX);

  UINT m_nIDTemplate = 0;
  CWnd* m_pParentWnd = nullptr;
};

class AFX_API CButton : public CWnd {
 public:
  static CRuntimeClass* GetThisClass();
  CRuntimeClass* GetRuntimeClass() const override;
};

// ---- Threads and the application ------------------------------------------

class AFX_API CWinThread : public CCmdTarget {
 public:
  CWinThread() = default;
  // The window that parents the thread's message boxes, or null.
  virtual CWnd* GetMainWnd();
  virtual BOOL InitInstance();
  virtual int ExitInstance();
  // Takes one message out of the thread's queue, pre-translates, translates
  // and dispatches it. Never waits: with an empty queue it returns TRUE having
  // done nothing. FALSE when the message was WM_QUIT.
  virtual BOOL PumpMessage();
  // TRUE when the message was dealt with and must not be dispatched.
  virtual BOOL PreTranslateMessage(MSG* msg);

  static CRuntimeClass* GetThisClass();
  CRuntimeClass* GetRuntimeClass() const override;

  CWnd* m_pMainWnd = nullptr;
  MSG m_msgCur{};
};

// The application object. The program and every library built on the
// framework have at most one, a static object; it belongs to the module state
// of the shared object that constructs it.
class AFX_API CWinApp : public CWinThread {
 public:
  AFX_MODULE_LOCAL explicit CWinApp(const char* appName = nullptr)
      : CWinApp(AfxGetStaticModuleState(), appName) {}
  ~CWinApp() override;
  BOOL InitInstance() override;

  static CRuntimeClass* GetThisClass();
  CRuntimeClass* GetRuntimeClass() const override;

  // A copy on the heap (malloc), freed with free: a derived class that
  // replaces it frees the old one.
  const char* m_pszAppName = nullptr;
  HINSTANCE m_hInstance = nullptr;

 protected:
  CWinApp(AFX_MODULE_STATE* moduleState, const char* appName);
  AFX_MODULE_STATE* m_pModuleState;
};

// A heap copy of a text, freed with free().
inline char* _tcsdup(const char* text) { return strdup(text); }
