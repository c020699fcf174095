// The host's objects in memory: points, polyhedra, database objects, styles.
#include <atomic>

#include "point_pool.h"
#include "standin_internal.h"

using standin_internal::AsInterface;
using standin_internal::HostCall;
using standin_internal::Make;
using standin_internal::Named;

namespace {

std::atomic<long> g_liveObjects{0};

class GeoPoint3D final : public Named<CQEL_GeoPoint3D> {
 public:
  GeoPoint3D(double x, double y, double z) : m_x(x), m_y(y), m_z(z) {}
#if STANDIN_POOLED_POINTS
  static void* operator new(std::size_t) { return standin_internal::AllocatePointSlot(); }
  static void operator delete(void* slot) { standin_internal::ReleasePointSlot(slot); }
#endif
  double X() const override { return HostCall("CQEL_GeoPoint3D::X"), m_x; }
  void X(double value) override { HostCall("CQEL_GeoPoint3D::X"), m_x = value; }
  double Y() const override { return HostCall("CQEL_GeoPoint3D::Y"), m_y; }
  void Y(double value) override { HostCall("CQEL_GeoPoint3D::Y"), m_y = value; }
  double Z() const override { return HostCall("CQEL_GeoPoint3D::Z"), m_z; }
  void Z(double value) override { HostCall("CQEL_GeoPoint3D::Z"), m_z = value; }

 private:
  double m_x, m_y, m_z;
};

static_assert(sizeof(GeoPoint3D) <= standin_internal::kPointSlotBytes && alignof(GeoPoint3D) <= 8);

class GeoPolyhedron3D final : public Named<CQEL_GeoPolyhedron3D> {
 public:
  void SetDimension(QEL_DIMENSION dimension) override {
    HostCall("CQEL_GeoPolyhedron3D::SetDimension");
    m_dimension = dimension;
  }
  void SetOrientation(QEL_ORIENTATION orientation) override {
    HostCall("CQEL_GeoPolyhedron3D::SetOrientation");
    m_orientation = orientation;
  }
  void SetPoints(PointList points) override {
    HostCall("CQEL_GeoPolyhedron3D::SetPoints");
    m_points = std::move(points);
  }
  void SetEdges(EdgeList edges) override {
    HostCall("CQEL_GeoPolyhedron3D::SetEdges");
    m_edges = std::move(edges);
  }
  void SetFaces(FaceList faces) override {
    HostCall("CQEL_GeoPolyhedron3D::SetFaces");
    m_faces = std::move(faces);
  }
  QEL_DIMENSION GetDimension() const override { return m_dimension; }
  QEL_ORIENTATION GetOrientation() const override { return m_orientation; }
  const PointList& GetPoints() const override { return m_points; }
  const EdgeList& GetEdges() const override { return m_edges; }
  const FaceList& GetFaces() const override { return m_faces; }

 private:
  QEL_DIMENSION m_dimension = QEL_DIMENSION_0D;
  QEL_ORIENTATION m_orientation = QEL_ORIENTATION_UNDEFINED;
  PointList m_points;
  EdgeList m_edges;
  FaceList m_faces;
};

class UnsignedIntRef final : public Named<CQEL_UnsignedIntRef> {
 public:
  void Set(unsigned value) override { HostCall("CQEL_UnsignedIntRef::Set"), m_value = value; }
  unsigned Get() const override { return m_value; }

 private:
  unsigned m_value = 0;
};

class BoolRef final : public Named<CQEL_BoolRef> {
 public:
  explicit BoolRef(bool value) : m_value(value) {}
  void Set(bool value) override { HostCall("CQEL_BoolRef::Set"), m_value = value; }
  bool Get() const override { return m_value; }

 private:
  bool m_value;
};

class ColorARGB final : public Named<CQEL_ColorARGB> {
 public:
  void SetARGB(unsigned char a, unsigned char r, unsigned char g, unsigned char b) override {
    HostCall("CQEL_ColorARGB::SetARGB");
    m_a = a, m_r = r, m_g = g, m_b = b;
  }
  unsigned char A() const override { return m_a; }
  unsigned char R() const override { return m_r; }
  unsigned char G() const override { return m_g; }
  unsigned char B() const override { return m_b; }

 private:
  unsigned char m_a = 0, m_r = 0, m_g = 0, m_b = 0;
};

class FileHandle final : public Named<CQEL_FileHandle> {
 public:
  explicit FileHandle(std::string path) : m_path(std::move(path)) {}
  std::string FileName() const override {
    HostCall("CQEL_FileHandle::FileName");
    const size_t slash = m_path.find_last_of("/\\");
    return slash == std::string::npos ? m_path : m_path.substr(slash + 1);
  }
  std::string Path() const override { return m_path; }

 private:
  std::string m_path;
};

class CommonStyle final : public Named<CQEL_CommonStyle> {
 public:
  void InitLayer() override {
    HostCall("CQEL_CommonStyle::InitLayer");
    m_layer = AsInterface<CQEL_UnsignedIntRef>(Make<UnsignedIntRef>());
  }
  CQEL_SmartPtr<CQEL_UnsignedIntRef> Layer() override { return HostCall("CQEL_CommonStyle::Layer"), m_layer; }
  void InitColor() override {
    HostCall("CQEL_CommonStyle::InitColor");
    m_color = AsInterface<CQEL_ColorARGB>(Make<ColorARGB>());
  }
  CQEL_SmartPtr<CQEL_ColorARGB> Color() override { return HostCall("CQEL_CommonStyle::Color"), m_color; }
  void UseConstructionLineMode(const CQEL_SmartPtr<CQEL_BoolRef>& mode) override {
    HostCall("CQEL_CommonStyle::UseConstructionLineMode");
    m_constructionLineMode = mode;
  }
  CQEL_SmartPtr<CQEL_BoolRef> ConstructionLineMode() const override { return m_constructionLineMode; }

 private:
  CQEL_SmartPtr<CQEL_UnsignedIntRef> m_layer;
  CQEL_SmartPtr<CQEL_ColorARGB> m_color;
  CQEL_SmartPtr<CQEL_BoolRef> m_constructionLineMode;
};

class BasisPolyhedron3D final : public Named<CQEL_BasisPolyhedron3D> {
 public:
  void SetGeometry(const CQEL_SmartPtr<CQEL_Geometry>& geometry) override {
    HostCall("CQEL_DBObject::SetGeometry");
    m_geometry = geometry;
  }
  CQEL_SmartPtr<CQEL_Geometry> GetGeometry() const override { return m_geometry; }
  CQEL_SmartPtr<CQEL_CommonStyle> GetCommonStyle() override {
    HostCall("CQEL_DBObject::GetCommonStyle");
    if (!m_style) m_style = AsInterface<CQEL_CommonStyle>(Make<CommonStyle>());
    return m_style;
  }
  void TextureDefinition(const CQEL_SmartPtr<CQEL_FileHandle>& surfaceFile) override {
    HostCall("CQEL_BasisPolyhedron3D::TextureDefinition");
    m_surface = surfaceFile;
  }
  CQEL_SmartPtr<CQEL_FileHandle> TextureDefinition() const override { return m_surface; }

 private:
  CQEL_SmartPtr<CQEL_Geometry> m_geometry;
  CQEL_SmartPtr<CQEL_CommonStyle> m_style;
  CQEL_SmartPtr<CQEL_FileHandle> m_surface;
};

}  // namespace

// ---- Reference counting ---------------------------------------------------

CQEL_BaseRefCount::CQEL_BaseRefCount() : m_referenceCount(0) { ++g_liveObjects; }
CQEL_BaseRefCount::~CQEL_BaseRefCount() { --g_liveObjects; }

void CQEL_BaseRefCount::AddReference() { ++m_referenceCount; }

void CQEL_BaseRefCount::RemoveReference() {
  if (--m_referenceCount <= 0) delete this;
}

long CQEL_BaseRefCount::GetReferenceCount() const { return m_referenceCount; }

long standin::LiveObjectCount() { return g_liveObjects.load(); }

// ---- Class names ----------------------------------------------------------

const char* CQEL_Object::GetStaticClassName() { return "CQEL_Object"; }
const char* CQEL_GeoPoint3D::GetStaticClassName() { return "CQEL_GeoPoint3D"; }
const char* CQEL_Geometry::GetStaticClassName() { return "CQEL_Geometry"; }
const char* CQEL_GeoPolyhedron3D::GetStaticClassName() { return "CQEL_GeoPolyhedron3D"; }
const char* CQEL_UnsignedIntRef::GetStaticClassName() { return "CQEL_UnsignedIntRef"; }
const char* CQEL_BoolRef::GetStaticClassName() { return "CQEL_BoolRef"; }
const char* CQEL_ColorARGB::GetStaticClassName() { return "CQEL_ColorARGB"; }
const char* CQEL_FileHandle::GetStaticClassName() { return "CQEL_FileHandle"; }
const char* CQEL_CommonStyle::GetStaticClassName() { return "CQEL_CommonStyle"; }
const char* CQEL_DBObject::GetStaticClassName() { return "CQEL_DBObject"; }
const char* CQEL_BasisPolyhedron3D::GetStaticClassName() { return "CQEL_BasisPolyhedron3D"; }

// ---- Factories ------------------------------------------------------------

CQEL_SmartPtr<CQEL_GeoPoint3D> CQEL_GeoPoint3D::CreateObj(double x, double y, double z) {
  HostCall("CQEL_GeoPoint3D::CreateObj");
  return AsInterface<CQEL_GeoPoint3D>(Make<GeoPoint3D>(x, y, z));
}

CQEL_SmartPtr<CQEL_GeoPolyhedron3D> CQEL_GeoPolyhedron3D::CreateObj() {
  HostCall("CQEL_GeoPolyhedron3D::CreateObj");
  return AsInterface<CQEL_GeoPolyhedron3D>(Make<GeoPolyhedron3D>());
}

CQEL_SmartPtr<CQEL_BoolRef> CQEL_BoolRef::CreateObj(bool value) {
  HostCall("CQEL_BoolRef::CreateObj");
  return AsInterface<CQEL_BoolRef>(Make<BoolRef>(value));
}

CQEL_SmartPtr<CQEL_FileHandle> CQEL_FileHandle::CreateObj(const std::string& path) {
  HostCall("CQEL_FileHandle::CreateObj");
  return AsInterface<CQEL_FileHandle>(Make<FileHandle>(path));
}

CQEL_SmartPtr<CQEL_BasisPolyhedron3D> CQEL_BasisPolyhedron3D::CreateObj() {
  HostCall("CQEL_BasisPolyhedron3D::CreateObj");
  return AsInterface<CQEL_BasisPolyhedron3D>(Make<BasisPolyhedron3D>());
}
