#include "threemf_package.h"

#include <Model/COM/NMR_DLLInterfaces.h>

namespace c4dexport {

namespace {

// The library hands out every instance as a pointer to its own handle type.
using Handle = NMR::PLib3MFBase*;

struct Release {
  void operator()(void* handle) const { NMR::lib3mf_release(static_cast<Handle>(handle)); }
};
using Owned = std::unique_ptr<void, Release>;

}  // namespace

struct ThreeMfPackage::Model {
  Owned model;
  Owned materials;             // the base material group, once there is a material
  DWORD materialsId = 0;
  std::vector<Handle> meshes;  // owned through `kept`
  std::vector<Owned> kept;     // every other handle the library returned
  std::string error;

  Handle Get() const { return static_cast<Handle>(model.get()); }

  // True when the call succeeded; otherwise keeps the first failure in the
  // library's own words.
  bool Check(LIB3MFRESULT result, Handle instance, const char* what) {
    if (result == LIB3MF_OK) return true;
    if (error.empty()) {
      DWORD code = 0;
      LPCSTR message = nullptr;
      if (instance) NMR::lib3mf_getlasterror(instance, &code, &message);
      error = std::string(what) + " failed";
      if (message && *message) error += std::string(": ") + message;
    }
    return false;
  }
  Handle Keep(Handle handle) {
    kept.emplace_back(handle);
    return handle;
  }
};

ThreeMfPackage::ThreeMfPackage(bool centimetres) : m_model(std::make_unique<Model>()) {
  Handle model = nullptr;
  if (m_model->Check(NMR::lib3mf_createmodel(&model), nullptr, "creating the model")) {
    m_model->model.reset(model);
    m_model->Check(NMR::lib3mf_model_setunit(model, centimetres ? NMR::MODELUNIT_CENTIMETER : NMR::MODELUNIT_MILLIMETER), model, "setting the unit");
  }
}

ThreeMfPackage::~ThreeMfPackage() = default;

bool ThreeMfPackage::Ok() const { return m_model->error.empty(); }
const std::string& ThreeMfPackage::Error() const { return m_model->error; }

void ThreeMfPackage::AddMetadata(const std::string& name, const std::string& value) {
  if (!Ok()) return;
  m_model->Check(NMR::lib3mf_model_addmetadatautf8(m_model->Get(), name.c_str(), value.c_str()), m_model->Get(),
                 "adding metadata");
}

void ThreeMfPackage::AddMaterial(const std::string& name, std::array<uint8_t, 4> rgba) {
  Model& m = *m_model;
  if (!Ok()) return;
  if (!m.materials) {
    Handle group = nullptr;
    if (!m.Check(NMR::lib3mf_model_addbasematerialgroup(m.Get(), &group), m.Get(), "adding the base materials")) return;
    m.materials.reset(group);
    if (!m.Check(NMR::lib3mf_resource_getresourceid(group, &m.materialsId), group, "numbering the base materials")) return;
  }
  const auto group = static_cast<Handle>(m.materials.get());
  DWORD index = 0;
  if (m.Check(NMR::lib3mf_basematerial_addmaterialutf8(group, name.c_str(), rgba[0], rgba[1], rgba[2], &index), group,
              "adding a base material")) {
    m.Check(NMR::lib3mf_basematerial_setdisplaycolorrgba(group, index, rgba[0], rgba[1], rgba[2], rgba[3]), group,
            "colouring a base material");
  }
}

size_t ThreeMfPackage::AddMesh(const std::string& name, const std::vector<std::array<float, 3>>& vertices,
                               const std::vector<std::array<uint32_t, 3>>& triangles, size_t material) {
  Model& m = *m_model;
  const size_t number = m.meshes.size();
  m.meshes.push_back(nullptr);
  if (!Ok()) return number;
  // The library numbers vertices and triangles in 32 bits.
  if (vertices.size() > UINT32_MAX || triangles.size() > UINT32_MAX) {
    m.error = "a mesh has more points or triangles than a 3MF mesh numbers";
    return number;
  }
  std::vector<NMR::MODELMESHVERTEX> points(vertices.size());
  for (size_t i = 0; i < vertices.size(); ++i) {
    for (int k = 0; k < 3; ++k) points[i].m_fPosition[k] = vertices[i][size_t(k)];
  }
  std::vector<NMR::MODELMESHTRIANGLE> faces(triangles.size());
  for (size_t i = 0; i < triangles.size(); ++i) {
    for (int k = 0; k < 3; ++k) faces[i].m_nIndices[k] = triangles[i][size_t(k)];
  }
  Handle object = nullptr;
  if (!m.Check(NMR::lib3mf_model_addmeshobject(m.Get(), &object), m.Get(), "adding a mesh object")) return number;
  m.meshes.back() = m.Keep(object);
  if (!m.Check(NMR::lib3mf_object_setnameutf8(object, name.c_str()), object, "naming a mesh object") ||
      !m.Check(NMR::lib3mf_meshobject_setgeometry(object, points.data(), DWORD(points.size()), faces.data(),
                                                  DWORD(faces.size())),
               object, "setting a mesh's geometry") ||
      !m.materials) {
    return number;
  }
  Handle property = nullptr;
  if (m.Check(NMR::lib3mf_object_createdefaultpropertyhandler(object, &property), object, "giving a mesh its material")) {
    m.Keep(property);
    m.Check(NMR::lib3mf_defaultpropertyhandler_setbasematerial(property, m.materialsId, DWORD(material)), property,
            "giving a mesh its material");
  }
  return number;
}

void ThreeMfPackage::AddBuildItem(const std::string& name, const std::vector<size_t>& meshes) {
  Model& m = *m_model;
  Handle object = nullptr;
  if (!Ok() || !m.Check(NMR::lib3mf_model_addcomponentsobject(m.Get(), &object), m.Get(), "adding a components object")) {
    return;
  }
  m.Keep(object);
  if (!m.Check(NMR::lib3mf_object_setnameutf8(object, name.c_str()), object, "naming a components object")) return;
  for (size_t mesh : meshes) {
    Handle component = nullptr;
    if (!m.Check(NMR::lib3mf_componentsobject_addcomponent(object, m.meshes.at(mesh), nullptr, &component), object,
                 "adding a component")) {
      return;
    }
    m.Keep(component);
  }
  Handle item = nullptr;
  if (m.Check(NMR::lib3mf_model_addbuilditem(m.Get(), object, nullptr, &item), m.Get(), "adding a build item")) {
    m.Keep(item);
  }
}

bool ThreeMfPackage::Write(const std::string& path) {
  Model& m = *m_model;
  Handle writer = nullptr;
  if (!Ok() || !m.Check(NMR::lib3mf_model_querywriter(m.Get(), "3mf", &writer), m.Get(), "making the package writer")) {
    return false;
  }
  m.Keep(writer);
  return m.Check(NMR::lib3mf_writer_writetofileutf8(writer, path.c_str()), writer, "writing the package");
}

}  // namespace c4dexport
