// A window backend that writes down what happens, for tests.
#include "afx_frontend.h"

namespace afx_frontend {

std::string RecordingWindowBackend::NameOf(HWND hwnd) const {
  for (auto it = m_names.rbegin(); it != m_names.rend(); ++it) {
    if (it->hwnd == hwnd) return it->name;
  }
  return "";
}

void RecordingWindowBackend::OnCreate(const WindowInfo& window) {
  std::string name = window.kind == WindowKind::Dialog ? "dialog:" + std::to_string(window.id)
                                                       : NameOf(window.parent) + "/" + std::to_string(window.id);
  m_names.push_back(Named{window.hwnd, name});
  m_calls.push_back("create " + name);
}

void RecordingWindowBackend::OnDestroy(HWND hwnd) { m_calls.push_back("destroy " + NameOf(hwnd)); }

void RecordingWindowBackend::OnShow(HWND hwnd, bool visible) {
  m_calls.push_back("show " + NameOf(hwnd) + (visible ? " 1" : " 0"));
}

void RecordingWindowBackend::OnUpdate(HWND hwnd) { m_calls.push_back("update " + NameOf(hwnd)); }

void RecordingWindowBackend::OnProgressRange(HWND hwnd, int low, int high) {
  m_calls.push_back("range " + NameOf(hwnd) + " " + std::to_string(low) + " " + std::to_string(high));
}

void RecordingWindowBackend::OnProgressPos(HWND hwnd, int position) {
  m_calls.push_back("pos " + NameOf(hwnd) + " " + std::to_string(position));
}

std::vector<std::string> RecordingWindowBackend::CallsStartingWith(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const std::string& call : m_calls) {
    if (call.rfind(prefix, 0) == 0) found.push_back(call);
  }
  return found;
}

}  // namespace afx_frontend
