// Loaded scenes as text, and how a scene loaded under damage compares with
// the whole one. For tests that link the scene library and the tool's verbs.
#pragma once
#include <string>

#include "scene_loader.h"

// The scene as text and JSON: everything the model read, for comparisons.
std::string SceneText(const C4DBaseDocument& document);

// Where the JSON text `damaged` differs from `whole` other than in links that
// were left unbound (a layer or material reference that became null), or ""
// when it does not: what a failed allocation of the link registry may cost
// without an error, as links are specified.
std::string DifferenceButUnboundLinks(const std::string& damaged, const std::string& whole);
