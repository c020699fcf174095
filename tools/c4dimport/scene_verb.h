// `c4dimport scene FILE [--json]`: loads a scene file into the scene model
// and prints what was read: the document version, the materials with their
// channel states, colour and transparency, the layer tree, and the object
// tree with placement, colour, layer, tags, children and both caches. Each
// object the import cannot turn into host geometry is marked with the reason
// ("not imported: ..."; "notImported" in JSON).
#pragma once
#include <iosfwd>
#include <string>

#include "scene_data.h"

// Prints a scene for a person.
void PrintScene(const c4dimport::SceneData& scene, std::ostream& out);

// Loads the file at `path` and prints it. Returns the exit code: 0 when the
// load succeeded, 1 when not (what was read is printed all the same, with the
// file's error code).
int RunSceneVerb(const std::string& path, bool json, std::ostream& out);
