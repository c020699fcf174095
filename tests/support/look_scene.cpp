#include "look_scene.h"

#include <numbers>

namespace {

// Light kinds as the scene program numbers them.
constexpr int32_t kOmni = 0, kSpot = 1, kInfinite = 3, kArea = 8;

// Three flat quadrangles in a strip: the second bent about 20 degrees from
// the first, the third about 70 degrees from the second. The second starts
// mid-way round the edge it shares with the first; the strip leans back 60
// degrees so that its normals point partly along every host axis.
ObjectSpec Walls() {
  const float drop = 36.25f;  // exact in floats, so that the quadrangles stay flat
  ObjectSpec walls = ObjectSpec::Polygon("Walls",
                                         {{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}, {200, 0, -drop},
                                          {200, 100, -drop}, {200, 0, -drop - 100}, {200, 100, -drop - 100}},
                                         {{0, 1, 2, 3}, {2, 1, 4, 5}, {4, 6, 7, 5}});
  TagSpec roof = TagSpec::Texture(11);
  roof.restriction = "Top";
  roof.offsetLength = {0.5f, 0.25f, 2, 1};
  std::vector<Vector> uvw;
  for (int p = 0; p < 3; ++p) {
    for (const Vector& corner : {Vector{0, 0, 0}, Vector{1, 0, 0}, Vector{1, 1, 0}, Vector{0, 1, 0}}) uvw.push_back(corner);
  }
  walls.WithTag(TagSpec::Phong(true, 45 * std::numbers::pi_v<float> / 180, false))
      .WithTag(TagSpec::UVW(uvw))
      .WithTag(TagSpec::PolygonSelection("Top", {{2, 2}}))
      .WithTexture(10)
      .WithTag(roof);
  walls.axis.yAxis = Vector{0, 0.5f, -0.8660254f};
  walls.axis.zAxis = Vector{0, 0.8660254f, 0.5f};
  return walls.At({0, 0, 50});
}

}  // namespace

SceneSpec LookScene() {
  SceneSpec s;
  MaterialSpec wall = MaterialSpec::Colored("Wall", 10, {0.8f, 0.8f, 0.8f});
  wall.brightness = 0.5f;
  s.materials = {wall, MaterialSpec::Colored("Roof", 11, {1, 0, 0}).WithColorBitmap("roof.png", 12),
                 MaterialSpec::Transparent("Glass", 13, {0.2f, 0.4f, 1}, 0.75f),
                 MaterialSpec::Colored("Slate", 14, {0.3f, 0.3f, 0.3f}).WithColorBitmap("C:\\maps\\gone.png", 15),
                 MaterialSpec::Colored("Glow", 16, {0.1f, 0.1f, 0.1f})};
  s.materials.back().channelStates = {0, 1};  // luminance only
  ObjectSpec pane = ObjectSpec::Polygon("Pane", {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}}, {{0, 1, 2, 2}}).WithTexture(13);
  ObjectSpec ghost = ObjectSpec::Polygon("Ghost", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {{0, 1, 2, 2}}).States(1, 2, 0);
  ObjectSpec shed = ObjectSpec::Polygon("Shed", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {{0, 1, 2, 2}}).WithTexture(14);
  ObjectSpec sign = ObjectSpec::Polygon("Sign", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {{0, 1, 2, 2}}).WithTexture(16);
  ObjectSpec step = ObjectSpec::Polygon("Step", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {{0, 1, 2, 2}});  // no material
  s.objects = {ObjectSpec::Null("House").At({100, 0, 0}).RotatedZ(60).Child(Walls()).Child(pane).Child(ghost),
               shed, sign, step,
               ObjectSpec::Camera("Cam").Lens(50, 36).At({0, -500, 100}),
               ObjectSpec::Light("Key", {kSpot, {1, 0.9f, 0.8f}, 0.5f, 0.1f, 0.6f}),
               ObjectSpec::Light("Fill", {kOmni, {1, 1, 1}, 1, 0, 0.5f}),
               ObjectSpec::Light("Sun", {kInfinite, {1, 1, 1}, 2, 0, 0.5f}),
               ObjectSpec::Light("Panel", {kArea, {1, 1, 1}, 1, 0, 0.5f})};
  return s;
}

std::vector<uint8_t> TinyPng() {
  static const char png[] =
      "\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x00\x01\x00\x00\x00\x01\x08\x02\x00\x00\x00\x90wS"
      "\xde\x00\x00\x00\x0cIDATx\x9c\x63\xf8\xcf\xc0\x00\x00\x03\x01\x01\x00\xc9\xfe\x92\xef\x00\x00\x00"
      "\x00IEND\xae\x42\x60\x82";
  return std::vector<uint8_t>(png, png + sizeof png - 1);
}
