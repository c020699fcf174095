// The inputs in tests/regressions: every file that ever made the reader or
// the import crash, leak, hang or read out of bounds (the fuzz runs copy
// theirs there), each to be loaded and imported cleanly forever after.
#pragma once
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "damage_scenes.h"

inline std::vector<NamedScene> RegressionInputs() {
  std::vector<NamedScene> inputs;
  for (const auto& entry : std::filesystem::directory_iterator(C4D_REGRESSIONS_DIR)) {
    if (!entry.is_regular_file() || entry.path().filename() == "README.md") continue;
    inputs.push_back({entry.path().filename().string(), ReadFileBytes(entry.path().string())});
  }
  std::sort(inputs.begin(), inputs.end(), [](const NamedScene& a, const NamedScene& b) { return a.name < b.name; });
  return inputs;
}
