// The thread's windows and message queue.
#include <algorithm>
#include <chrono>
#include <thread>

#include "afx_internal.h"
#include "afxcmn.h"

namespace afx_internal {
namespace {

thread_local bool t_threadStateGone = false;

HWND ToHandle(std::uintptr_t value) { return reinterpret_cast<HWND>(value); }
std::uintptr_t ToKey(HWND hwnd) { return reinterpret_cast<std::uintptr_t>(hwnd); }

afx_frontend::WindowKind KindOfClass(const char* windowClass) {
  const std::string name = windowClass ? windowClass : "";
  if (name == PROGRESS_CLASS) return afx_frontend::WindowKind::ProgressBar;
  if (name == BUTTON_CLASS) return afx_frontend::WindowKind::Button;
  return afx_frontend::WindowKind::Other;
}

bool MatchesFilter(const MSG& msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (hwnd && msg.hwnd != hwnd) return false;
  if (filterMin == 0 && filterMax == 0) return true;
  return msg.message >= filterMin && msg.message <= filterMax;
}

// Lets the front end feed the queue, once per look into it.
void RunMessageHook(ThreadState& state) {
  if (!state.hook || state.inHook) return;
  state.inHook = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{state.inHook};
  afx_frontend::MessageHook hook = state.hook;  // the hook may replace itself
  hook();
}

LRESULT ProgressProc(ThreadState& state, Window& bar, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case PBM_SETRANGE32: {
      const LRESULT previous = MAKELRESULT(static_cast<WORD>(bar.rangeLow), static_cast<WORD>(bar.rangeHigh));
      bar.rangeLow = static_cast<int>(wParam);
      bar.rangeHigh = static_cast<int>(lParam);
      bar.position = std::clamp(bar.position, bar.rangeLow, std::max(bar.rangeLow, bar.rangeHigh));
      if (state.backend) state.backend->OnProgressRange(bar.hwnd, bar.rangeLow, bar.rangeHigh);
      return previous;
    }
    case PBM_SETPOS: {
      const int previous = bar.position;
      bar.position = std::clamp(static_cast<int>(wParam), bar.rangeLow, std::max(bar.rangeLow, bar.rangeHigh));
      if (state.backend) state.backend->OnProgressPos(bar.hwnd, bar.position);
      return previous;
    }
    case PBM_GETRANGE:
      return wParam ? bar.rangeLow : bar.rangeHigh;
    case PBM_GETPOS:
      return bar.position;
    default:
      return 0;
  }
}

// A click makes the button tell its dialog, as the real control does.
LRESULT ButtonProc(Window& button, UINT message) {
  if (message != BM_CLICK || !button.parent) return 0;
  const HWND self = button.hwnd;
  const int id = button.id;
  SendMessage(button.parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
              reinterpret_cast<LPARAM>(self));
  return 0;
}

void DestroyTree(ThreadState& state, HWND hwnd) {
  Window* window = FindWindow(hwnd);
  if (!window) return;
  const std::vector<HWND> children = window->children;
  for (HWND child : children) DestroyTree(state, child);
  window = FindWindow(hwnd);
  if (!window) return;
  if (state.backend) state.backend->OnDestroy(hwnd);
  if (window->owner && window->owner->m_hWnd == hwnd) window->owner->m_hWnd = nullptr;
  if (Window* parent = FindWindow(window->parent)) {
    auto& siblings = parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
  }
  state.windows.erase(ToKey(hwnd));
}

}  // namespace

ThreadState::ThreadState() = default;
ThreadState::~ThreadState() { t_threadStateGone = true; }

ThreadState* Thread() {
  if (t_threadStateGone) return nullptr;
  thread_local ThreadState state;
  return &state;
}

Window* FindWindow(HWND hwnd) {
  ThreadState* state = Thread();
  if (!state || !hwnd) return nullptr;
  auto it = state->windows.find(ToKey(hwnd));
  return it == state->windows.end() ? nullptr : &it->second;
}

HWND CreateWindowRecord(HWND parent, afx_frontend::WindowKind kind, int id, const std::string& text) {
  ThreadState* state = Thread();
  if (!state) return nullptr;
  Window window;
  window.hwnd = ToHandle(state->nextHandle++);
  window.parent = parent;
  window.kind = kind;
  window.id = id;
  window.text = text;
  const HWND hwnd = window.hwnd;
  state->windows.emplace(ToKey(hwnd), std::move(window));
  if (Window* parentWindow = FindWindow(parent)) parentWindow->children.push_back(hwnd);
  if (state->backend) {
    afx_frontend::WindowInfo info;
    afx_frontend::GetWindowInfo(hwnd, &info);
    state->backend->OnCreate(info);
  }
  return hwnd;
}

afx_frontend::WindowKind KindOfControlClass(const char* windowClass) { return KindOfClass(windowClass); }

}  // namespace afx_internal

using afx_internal::FindWindow;
using afx_internal::Thread;
using afx_internal::ThreadState;
using afx_internal::Window;

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = FindWindow(hwnd);
  if (!window) return 0;
  if (window->owner) return window->owner->WindowProc(message, wParam, lParam);
  return DefWindowProc(hwnd, message, wParam, lParam);
}

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ThreadState* state = Thread();
  Window* window = FindWindow(hwnd);
  if (!state || !window) return 0;
  switch (window->kind) {
    case afx_frontend::WindowKind::ProgressBar:
      return afx_internal::ProgressProc(*state, *window, message, wParam, lParam);
    case afx_frontend::WindowKind::Button:
      return afx_internal::ButtonProc(*window, message);
    default:
      return 0;
  }
}

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ThreadState* state = Thread();
  if (!state || (hwnd && !FindWindow(hwnd))) return FALSE;
  state->queue.push_back(MSG{hwnd, message, wParam, lParam});
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  if (ThreadState* state = Thread()) state->queue.push_back(MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0});
}

BOOL PeekMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
  ThreadState* state = Thread();
  if (!state) return FALSE;
  ++state->counters.peeks;
  afx_internal::RunMessageHook(*state);
  auto it = std::find_if(state->queue.begin(), state->queue.end(),
                         [&](const MSG& m) { return afx_internal::MatchesFilter(m, hwnd, filterMin, filterMax); });
  if (it == state->queue.end()) return FALSE;
  if (msg) *msg = *it;
  if (removeMsg & PM_REMOVE) state->queue.erase(it);
  return TRUE;
}

BOOL GetMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  MSG taken{};
  if (!PeekMessage(&taken, hwnd, filterMin, filterMax, PM_REMOVE)) return -1;
  if (msg) *msg = taken;
  return taken.message == WM_QUIT ? FALSE : TRUE;
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessage(const MSG* msg) {
  ThreadState* state = Thread();
  if (!state || !msg || !FindWindow(msg->hwnd)) return 0;
  ++state->counters.dispatched;
  return SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL ShowWindow(HWND hwnd, int cmdShow) {
  ThreadState* state = Thread();
  Window* window = FindWindow(hwnd);
  if (!state || !window) return FALSE;
  const bool wasVisible = window->visible;
  window->visible = cmdShow != SW_HIDE;
  if (state->backend) state->backend->OnShow(hwnd, window->visible);
  return wasVisible ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND hwnd) {
  ThreadState* state = Thread();
  if (!state || !FindWindow(hwnd)) return FALSE;
  if (state->backend) state->backend->OnUpdate(hwnd);
  return TRUE;
}

BOOL DestroyWindow(HWND hwnd) {
  ThreadState* state = Thread();
  if (!state || !FindWindow(hwnd)) return FALSE;
  afx_internal::DestroyTree(*state, hwnd);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) { return FindWindow(hwnd) ? TRUE : FALSE; }

BOOL IsWindowVisible(HWND hwnd) {
  const Window* window = FindWindow(hwnd);
  return window && window->visible ? TRUE : FALSE;
}

HWND GetParent(HWND hwnd) {
  const Window* window = FindWindow(hwnd);
  return window ? window->parent : nullptr;
}

HWND GetDlgItem(HWND dialog, int controlId) {
  const Window* window = FindWindow(dialog);
  if (!window) return nullptr;
  for (HWND child : window->children) {
    const Window* control = FindWindow(child);
    if (control && control->id == controlId) return child;
  }
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
  const Window* window = FindWindow(hwnd);
  return window && window->kind != afx_frontend::WindowKind::Dialog ? window->id : 0;
}

void Sleep(DWORD milliseconds) {
  if (ThreadState* state = Thread()) ++state->counters.sleeps;
  if (milliseconds == 0) {
    std::this_thread::yield();
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
}

namespace afx_frontend {

IWindowBackend* SetWindowBackend(IWindowBackend* backend) {
  ThreadState* state = Thread();
  if (!state) return nullptr;
  IWindowBackend* previous = state->backend;
  state->backend = backend;
  return previous;
}

MessageHook SetMessageHook(MessageHook hook) {
  ThreadState* state = Thread();
  if (!state) return {};
  MessageHook previous = std::move(state->hook);
  state->hook = std::move(hook);
  return previous;
}

bool PostButtonClick(HWND dialog, int controlId) {
  const HWND button = GetDlgItem(dialog, controlId);
  const Window* window = FindWindow(button);
  if (!window || window->kind != WindowKind::Button) return false;
  return PostMessage(button, BM_CLICK, 0, 0) != FALSE;
}

HWND FindDialog(UINT templateId) {
  ThreadState* state = Thread();
  if (!state) return nullptr;
  for (auto it = state->windows.rbegin(); it != state->windows.rend(); ++it) {
    const Window& window = it->second;
    if (window.kind == WindowKind::Dialog && window.id == static_cast<int>(templateId)) return window.hwnd;
  }
  return nullptr;
}

bool GetWindowInfo(HWND hwnd, WindowInfo* info) {
  const Window* window = FindWindow(hwnd);
  if (!window) return false;
  if (info) *info = WindowInfo{window->hwnd, window->parent, window->kind, window->id, window->text};
  return true;
}

std::vector<HWND> ListWindows() {
  std::vector<HWND> handles;
  if (ThreadState* state = Thread()) {
    for (const auto& entry : state->windows) handles.push_back(entry.second.hwnd);
  }
  return handles;
}

size_t PendingMessageCount() {
  ThreadState* state = Thread();
  return state ? state->queue.size() : 0;
}

PumpCounters GetPumpCounters() {
  ThreadState* state = Thread();
  return state ? state->counters : PumpCounters{};
}

}  // namespace afx_frontend
