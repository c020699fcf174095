// Failing object creation on request.
#include <map>
#include <vector>

#include "standin_internal.h"

namespace {

struct FailureRule {
  std::string className;  // "" for any class
  unsigned remaining;     // calls until the failing one; 0 for always
};

struct Failures {
  std::vector<FailureRule> rules;
  std::map<std::string, std::uint64_t> counts;
  std::uint64_t total = 0;
};

Failures& State() {
  static Failures failures;
  return failures;
}

}  // namespace

namespace standin_internal {

bool MayCreate(const char* className) {
  Failures& state = State();
  ++state.total;
  ++state.counts[className];
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
  auto it = state.counts.find(className);
  return it == state.counts.end() ? 0 : it->second;
}

}  // namespace standin
