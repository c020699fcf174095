// A scene that shows every part of a scene's look the converter keeps: a
// tree with pivots, two materials on one mesh by a selection, UVs, a phong
// angle, a material with a bitmap ("roof.png", to be put beside the file),
// one whose bitmap is missing, a transparent one, a glowing one, a hidden
// object, a camera and a light of each kind.
#pragma once
#include <cstdint>
#include <vector>

#include "scene_writer.h"

SceneSpec LookScene();
// A valid 1 x 1 PNG, for the bitmap beside the look scene.
std::vector<uint8_t> TinyPng();
