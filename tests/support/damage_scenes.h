// A representative set of scene files for the hardening tests and the fuzz
// corpora: every node kind, both payload layouts, both container forms and
// every container entry kind, links before and after their goals, caches,
// objects under their own type's id, and the bundled sample. Each is small enough to damage at every byte.
#pragma once
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "c4d_writer.h"

struct NamedScene {
  std::string name;
  std::vector<uint8_t> bytes;
};

// Test parameters print as their names.
inline void PrintTo(const NamedScene& scene, std::ostream* out) { *out << scene.name; }

// The scenes written with the scene writer, without the sample.
std::vector<NamedScene> RepresentativeScenes();

// One value of each kind a file holds, in tag order (a parameter container
// in the older form among them), each written on its own.
std::vector<std::function<void(C4DWriter&)>> EveryValueKind();

// A scene of the newer file variant: a mesh of double-precision points with
// a quadrangle and a triangle, material, layer and UVW tags, under a placed
// group whose object chunk has level 1; a closed spline out of its plane
// turned about its heading; a primitive without stored geometry.
struct SceneSpec;
SceneSpec NewerVariantScene();

// The bytes of the file at `path`; empty when it cannot be read.
std::vector<uint8_t> ReadFileBytes(const std::string& path);
