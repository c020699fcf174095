// A representative set of scene files for the hardening tests and the fuzz
// corpora: every node kind, both payload layouts, both container forms and
// every container entry kind, links before and after their goals, caches,
// and the bundled sample. Each is small enough to damage at every byte.
#pragma once
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

struct NamedScene {
  std::string name;
  std::vector<uint8_t> bytes;
};

// Test parameters print as their names.
inline void PrintTo(const NamedScene& scene, std::ostream* out) { *out << scene.name; }

// The scenes written with the scene writer, without the sample.
std::vector<NamedScene> RepresentativeScenes();

// A scene of the newer file variant: a mesh of double-precision points with
// a quadrangle and a triangle, material, layer and UVW tags, under a placed
// group; a closed spline; a primitive without stored geometry.
struct SceneSpec;
SceneSpec NewerVariantScene();

// The bytes of the file at `path`; empty when it cannot be read.
std::vector<uint8_t> ReadFileBytes(const std::string& path);
