// A 3MF package built by the 3MF consortium's library: base materials, mesh
// objects, components objects and build items, written in one go. Kept apart
// from the host's headers, whose Windows types clash with the library's.
//
//   ThreeMfPackage package;
//   package.AddMaterial("Colour_CC1919", {0xCC, 0x19, 0x19, 0xFF});
//   const size_t mesh = package.AddMesh("Walls 1", vertices, triangles, 0);
//   package.AddBuildItem("Walls", {mesh});
//   if (!package.Write("house.3mf")) std::cerr << package.Error();
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace c4dexport {

class ThreeMfPackage {
 public:
  explicit ThreeMfPackage(bool centimetres = false);  // a model in millimetres, or centimetres
  ~ThreeMfPackage();
  ThreeMfPackage(const ThreeMfPackage&) = delete;
  ThreeMfPackage& operator=(const ThreeMfPackage&) = delete;

  // Every call after a failure does nothing; Error() says what failed first.
  bool Ok() const;
  const std::string& Error() const;

  void AddMetadata(const std::string& name, const std::string& value);
  // A base material with its display colour (r, g, b, alpha); they are
  // numbered from 0 in the order added.
  void AddMaterial(const std::string& name, std::array<uint8_t, 4> rgba);
  // A mesh object whose default property is base material `material` (none
  // when there are no materials); returns its number for AddBuildItem.
  size_t AddMesh(const std::string& name, const std::vector<std::array<float, 3>>& vertices,
                 const std::vector<std::array<uint32_t, 3>>& triangles, size_t material);
  // A components object made of the meshes (numbers from AddMesh), built.
  void AddBuildItem(const std::string& name, const std::vector<size_t>& meshes);
  bool Write(const std::string& path);

 private:
  struct Model;
  std::unique_ptr<Model> m_model;
};

}  // namespace c4dexport
