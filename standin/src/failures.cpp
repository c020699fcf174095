// Failing object creation and failing host calls on request.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include <afx.h>
#include <comdef.h>

#include "standin_internal.h"

namespace {

struct FailureRule {
  std::string className;  // "" for any class
  unsigned remaining;     // calls until the failing one; 0 for always
};

struct Failures {
  std::vector<FailureRule> rules;
  // Counted by the address of the class's static name: every creation of a
  // point passes here, and a text comparison per object would show.
  std::unordered_map<const char*, std::uint64_t> counts;
  std::uint64_t total = 0;
};

Failures& State() {
  static Failures failures;
  return failures;
}

// The one armed host fault.
struct ArmedFault {
  bool armed = false;
  bool fired = false;
  standin::HostFault fault;
  std::uint64_t remaining = 0;  // calls (creations) until the failing one
  std::uint64_t calls = 0;      // host calls ever
};

ArmedFault& Armed() {
  static ArmedFault armed;
  return armed;
}

// True once, at the armed call of `kind`'s count.
bool Strikes(bool creation) {
  ArmedFault& a = Armed();
  if (!a.armed || (a.fault.kind == standin::HostFaultKind::NullObject) != creation || --a.remaining > 0) return false;
  a.armed = false;
  a.fired = true;
  return true;
}

// A framework exception as the host's MFC throws them: by pointer, with a
// description.
class HostFrameworkException final : public CException {
 public:
  explicit HostFrameworkException(std::string text) : m_text(std::move(text)) {}
  BOOL GetErrorMessage(LPTSTR error, UINT maxError, PUINT helpContext = nullptr) const override {
    (void)helpContext;
    if (!error || maxError == 0) return FALSE;
    std::snprintf(error, maxError, "%s", m_text.c_str());
    return TRUE;
  }

 private:
  std::string m_text;
};

[[noreturn]] void ThrowFault(standin::HostFaultKind kind, const char* call) {
  const std::string text = std::string("the host failed in ") + call + " (" + standin::HostFaultKindName(kind) + ")";
  switch (kind) {
    case standin::HostFaultKind::FrameworkError: throw new HostFrameworkException(text);
    case standin::HostFaultKind::ComError: throw _com_error(static_cast<HRESULT>(0x80004005), text.c_str());
    case standin::HostFaultKind::StdError: throw std::runtime_error(text);
    case standin::HostFaultKind::Unknown: throw 42;
    default: standin_internal::ThrowAppException(text);
  }
}

const std::pair<standin::HostFaultKind, const char*> kFaultNames[] = {
    {standin::HostFaultKind::NullObject, "null"},   {standin::HostFaultKind::HostError, "host"},
    {standin::HostFaultKind::FrameworkError, "mfc"}, {standin::HostFaultKind::ComError, "com"},
    {standin::HostFaultKind::StdError, "std"},       {standin::HostFaultKind::Unknown, "other"},
};

}  // namespace

namespace standin_internal {

void HostCall(const char* name) {
  ++Armed().calls;
  if (Strikes(false)) ThrowFault(Armed().fault.kind, name);
}

bool MayCreate(const char* className) {
  Failures& state = State();
  ++state.total;
  ++state.counts[className];
  if (Strikes(true)) return false;
  if (state.rules.empty()) return true;
  bool fail = false;
  for (auto it = state.rules.begin(); it != state.rules.end();) {
    if (!it->className.empty() && it->className != className) {
      ++it;
      continue;
    }
    if (it->remaining == 0) {
      fail = true;
      ++it;
    } else if (--it->remaining == 0) {
      fail = true;
      it = state.rules.erase(it);
    } else {
      ++it;
    }
  }
  return !fail;
}

}  // namespace standin_internal

namespace standin {

void FailCreateObj(const std::string& className, unsigned nth) {
  if (nth > 0) State().rules.push_back(FailureRule{className, nth});
}

void FailCreateObjAlways(const std::string& className) { State().rules.push_back(FailureRule{className, 0}); }

void FailNthCreateObj(unsigned nth) {
  if (nth > 0) State().rules.push_back(FailureRule{"", nth});
}

void ResetCreateObjFailures() { State().rules.clear(); }

std::uint64_t CreateObjCount(const std::string& className) {
  const Failures& state = State();
  if (className.empty()) return state.total;
  std::uint64_t count = 0;
  for (const auto& [name, n] : state.counts) {
    if (className == name) count += n;
  }
  return count;
}

}  // namespace standin

namespace standin {

const std::vector<HostFaultKind>& HostFaultKinds() {
  static const std::vector<HostFaultKind> kinds = [] {
    std::vector<HostFaultKind> all;
    for (const auto& [kind, name] : kFaultNames) all.push_back(kind);
    return all;
  }();
  return kinds;
}

const char* HostFaultKindName(HostFaultKind kind) {
  for (const auto& [known, name] : kFaultNames) {
    if (known == kind) return name;
  }
  return "?";
}

bool ParseHostFault(const std::string& text, HostFault& fault, std::string* error) {
  const size_t colon = text.find(':');
  const std::string name = text.substr(0, colon);
  const std::string number = colon == std::string::npos ? std::string() : text.substr(colon + 1);
  const auto* found = std::find_if(std::begin(kFaultNames), std::end(kFaultNames),
                                   [&](const auto& entry) { return name == entry.second; });
  std::uint64_t nth = 0;
  const bool digits = !number.empty() && number.size() < 19 &&
                      number.find_first_not_of("0123456789") == std::string::npos;
  if (digits) nth = std::stoull(number);
  if (found == std::end(kFaultNames) || nth == 0) {
    if (error) *error = "\"" + text + "\" is not KIND:N with a kind of null, host, mfc, com, std or other and N >= 1";
    return false;
  }
  fault = HostFault{found->first, nth};
  return true;
}

void InjectHostFault(const HostFault& fault) {
  ArmedFault& a = Armed();
  a.fault = fault;
  a.remaining = fault.nth;
  a.armed = fault.nth > 0;
  a.fired = false;
}

void ClearHostFault() {
  Armed().armed = false;
  Armed().fired = false;
}

bool HostFaultFired() { return Armed().fired; }

std::uint64_t HostCallCount() { return Armed().calls; }

}  // namespace standin
