// Module states and resource modules.
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "afx_internal.h"
#include "os_library.h"

namespace {

thread_local AFX_MODULE_STATE* t_currentModuleState = nullptr;

// A loaded resource library, or a table registered from memory. Modules are
// never unloaded, so their handles stay valid for the life of the process.
struct ResourceModule {
  std::string fileName;
  void* library = nullptr;
  std::unordered_map<UINT, const char*> strings;
  std::unordered_map<UINT, const AFX_DIALOG_TEMPLATE*> dialogs;
};

struct ResourceRegistry {
  std::mutex mutex;
  std::vector<std::unique_ptr<ResourceModule>> modules;
};

ResourceRegistry& Registry() {
  static ResourceRegistry* registry = new ResourceRegistry;  // outlives every static user
  return *registry;
}

void IndexTable(ResourceModule& module, const AFX_RESOURCE_TABLE* table) {
  if (!table || table->version != AFX_RESOURCE_TABLE_VERSION) return;
  for (unsigned i = 0; table->strings && i < table->stringCount; ++i) {
    module.strings.emplace(table->strings[i].id, table->strings[i].text);
  }
  for (unsigned i = 0; table->dialogs && i < table->dialogCount; ++i) {
    module.dialogs.emplace(table->dialogs[i].id, &table->dialogs[i]);
  }
}

HINSTANCE ToHandle(ResourceModule* module) { return reinterpret_cast<HINSTANCE>(module); }

// The module behind a handle, or null for a handle that names none.
// Caller holds the registry's lock.
ResourceModule* FindModule(ResourceRegistry& registry, HINSTANCE handle) {
  if (!handle) return nullptr;
  for (const auto& module : registry.modules) {
    if (ToHandle(module.get()) == handle) return module.get();
  }
  return nullptr;
}

// Starts a module's application the first time its state becomes current.
void StartApplication(AFX_MODULE_STATE* state) {
  if (state->m_bAppStarted || !state->m_pCurrentWinApp) return;
  state->m_bAppStarted = TRUE;
  CWinApp* app = state->m_pCurrentWinApp;
  state->m_lpszCurrentAppName = app->m_pszAppName;
  app->InitInstance();
}

}  // namespace

namespace afx_internal {

const char* FindStringResource(HINSTANCE handle, UINT id) {
  ResourceRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  const ResourceModule* module = FindModule(registry, handle);
  if (!module) return nullptr;
  auto it = module->strings.find(id);
  return it == module->strings.end() ? nullptr : it->second;
}

const AFX_DIALOG_TEMPLATE* FindDialogTemplate(HINSTANCE handle, UINT id) {
  ResourceRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  const ResourceModule* module = FindModule(registry, handle);
  if (!module) return nullptr;
  auto it = module->dialogs.find(id);
  return it == module->dialogs.end() ? nullptr : it->second;
}

}  // namespace afx_internal

HINSTANCE LoadLibrary(const char* fileName) {
  if (!fileName || !*fileName) return nullptr;
  void* library = os_library::Open(fileName);
  if (!library) return nullptr;
  ResourceRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  for (const auto& module : registry.modules) {
    if (module->library == library) {
      os_library::Close(library);  // still loaded through the first handle
      return ToHandle(module.get());
    }
  }
  auto module = std::make_unique<ResourceModule>();
  module->fileName = fileName;
  module->library = library;
  using TableFunction = const AFX_RESOURCE_TABLE* (*)();
  if (auto function = reinterpret_cast<TableFunction>(os_library::Symbol(library, AFX_RESOURCE_TABLE_SYMBOL))) {
    IndexTable(*module, function());
  }
  registry.modules.push_back(std::move(module));
  return ToHandle(registry.modules.back().get());
}

DWORD GetModuleFileName(HINSTANCE handle, LPTSTR fileName, DWORD size) {
  ResourceRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  const ResourceModule* module = FindModule(registry, handle);
  if (!module || !fileName || size == 0) return 0;
  const size_t length = std::min<size_t>(module->fileName.size(), size - 1);
  std::memcpy(fileName, module->fileName.data(), length);
  fileName[length] = '\0';
  return static_cast<DWORD>(length);
}

namespace afx_frontend {

std::string ModuleFileOf(const void* address) { return os_library::FileOf(address); }

HINSTANCE CreateResourceModule(const AFX_RESOURCE_TABLE* table, const char* name) {
  auto module = std::make_unique<ResourceModule>();
  module->fileName = name ? name : "";
  IndexTable(*module, table);
  ResourceRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  registry.modules.push_back(std::move(module));
  return ToHandle(registry.modules.back().get());
}

}  // namespace afx_frontend

AFX_MODULE_STATE* AfxGetAppModuleState() {
  static AFX_MODULE_STATE programState;
  return &programState;
}

AFX_MODULE_STATE* AfxGetModuleState() {
  return t_currentModuleState ? t_currentModuleState : AfxGetAppModuleState();
}

AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* state) {
  AFX_MODULE_STATE* previous = AfxGetModuleState();
  AFX_MODULE_STATE* const previousCurrent = t_currentModuleState;
  t_currentModuleState = state;
  try {
    if (state) StartApplication(state);
  } catch (...) {
    t_currentModuleState = previousCurrent;
    throw;
  }
  return previous;
}

AFX_MAINTAIN_STATE2::AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state)
    : m_pPrevModuleState(AfxSetModuleState(state)) {}

AFX_MAINTAIN_STATE2::~AFX_MAINTAIN_STATE2() { t_currentModuleState = m_pPrevModuleState; }

HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState()->m_hCurrentResourceHandle; }
void AfxSetResourceHandle(HINSTANCE resource) { AfxGetModuleState()->m_hCurrentResourceHandle = resource; }
HINSTANCE AfxGetInstanceHandle() { return AfxGetModuleState()->m_hCurrentInstanceHandle; }
CWinApp* AfxGetApp() { return AfxGetModuleState()->m_pCurrentWinApp; }
const char* AfxGetAppName() { return AfxGetModuleState()->m_lpszCurrentAppName; }
CWinThread* AfxGetThread() { return AfxGetModuleState()->m_pCurrentWinThread; }
