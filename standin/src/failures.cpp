// Failing object creation on request.
#include <cstring>
#include <unordered_map>
#include <vector>

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

}  // namespace

namespace standin_internal {

bool MayCreate(const char* className) {
  Failures& state = State();
  ++state.total;
  ++state.counts[className];
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
