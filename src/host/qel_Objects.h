// The host's objects as a module builds them: points and polyhedra (the
// geometry), the database object that carries a geometry and a style, and
// the small reference objects that a style is set through.
//
// Objects are made by the classes' static CreateObj operations and held in
// CQEL_SmartPtr; CreateObj gives a null pointer when the host could not make
// the object. The getters are there for whoever reads the objects back.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "qel_SmartPointer.h"
#include "qel_export.h"

// The dimension of a polyhedron: 1 for a chain of edges (a polyline), 3 for
// points, edges and faces that bound a body (a mesh).
enum QEL_DIMENSION : int {
  QEL_DIMENSION_0D = 0,
  QEL_DIMENSION_1D = 1,
  QEL_DIMENSION_2D = 2,
  QEL_DIMENSION_3D = 3,
};

// The sense in which faces and edges are walked.
enum QEL_ORIENTATION : int {
  QEL_ORIENTATION_UNDEFINED = 0,
  QEL_ORIENTATION_POSITIVE = 1,
  QEL_ORIENTATION_NEGATIVE = 2,
};

class CQEL_CommonStyle;
class CQEL_FileHandle;

// Base of every object of the host's model.
class QEL_HOST_API CQEL_Object : public CQEL_BaseRefCount {
 public:
  static const char* GetStaticClassName();
  virtual const char* GetClassName() const = 0;
};

class QEL_HOST_API CQEL_GeoPoint3D : public CQEL_Object {
 public:
  static CQEL_SmartPtr<CQEL_GeoPoint3D> CreateObj(double x, double y, double z);
  static const char* GetStaticClassName();

  virtual double X() const = 0;
  virtual void X(double value) = 0;
  virtual double Y() const = 0;
  virtual void Y(double value) = 0;
  virtual double Z() const = 0;
  virtual void Z(double value) = 0;
};

class QEL_HOST_API CQEL_Geometry : public CQEL_Object {
 public:
  static const char* GetStaticClassName();
};

// Points, edges between them and faces bounded by edges. Edges name points
// by 1-based number (from, to); a face lists 1-based edge numbers, negative
// for an edge walked from its end to its start.
class QEL_HOST_API CQEL_GeoPolyhedron3D : public CQEL_Geometry {
 public:
  typedef std::vector<CQEL_SmartPtr<CQEL_GeoPoint3D>> PointList;
  typedef std::vector<std::pair<unsigned, unsigned>> EdgeList;
  typedef std::vector<std::vector<int>> FaceList;

  static CQEL_SmartPtr<CQEL_GeoPolyhedron3D> CreateObj();
  static const char* GetStaticClassName();

  virtual void SetDimension(QEL_DIMENSION dimension) = 0;
  virtual void SetOrientation(QEL_ORIENTATION orientation) = 0;
  // The host takes each list over: a caller that moves its list in hands
  // it over without a copy, one that passes an lvalue keeps its own. The
  // points are shared, not copied.
  virtual void SetPoints(PointList points) = 0;
  virtual void SetEdges(EdgeList edges) = 0;
  virtual void SetFaces(FaceList faces) = 0;

  // What was set (dimension and orientation are 0 before).
  virtual QEL_DIMENSION GetDimension() const = 0;
  virtual QEL_ORIENTATION GetOrientation() const = 0;
  virtual const PointList& GetPoints() const = 0;
  virtual const EdgeList& GetEdges() const = 0;
  virtual const FaceList& GetFaces() const = 0;
};

// A reference to an unsigned value that a style holds.
class QEL_HOST_API CQEL_UnsignedIntRef : public CQEL_Object {
 public:
  static const char* GetStaticClassName();
  virtual void Set(unsigned value) = 0;
  virtual unsigned Get() const = 0;
};

class QEL_HOST_API CQEL_BoolRef : public CQEL_Object {
 public:
  static CQEL_SmartPtr<CQEL_BoolRef> CreateObj(bool value);
  static const char* GetStaticClassName();
  virtual void Set(bool value) = 0;
  virtual bool Get() const = 0;
};

// A colour of four bytes. A is the transparency in percent (0 opaque).
class QEL_HOST_API CQEL_ColorARGB : public CQEL_Object {
 public:
  static const char* GetStaticClassName();
  virtual void SetARGB(unsigned char a, unsigned char r, unsigned char g, unsigned char b) = 0;
  virtual unsigned char A() const = 0;
  virtual unsigned char R() const = 0;
  virtual unsigned char G() const = 0;
  virtual unsigned char B() const = 0;
};

// A file named by a path, which need not exist.
class QEL_HOST_API CQEL_FileHandle : public CQEL_Object {
 public:
  static CQEL_SmartPtr<CQEL_FileHandle> CreateObj(const std::string& path);
  static const char* GetStaticClassName();
  // The last part of the path, after the last "/" or "\" (with its extension).
  virtual std::string FileName() const = 0;
  // The path as given.
  virtual std::string Path() const = 0;
};

// How an object is drawn: its layer, its colour, and whether it is a
// construction line.
class QEL_HOST_API CQEL_CommonStyle : public CQEL_Object {
 public:
  static const char* GetStaticClassName();
  // Gives the style a layer of its own, id 0; Layer() is null before.
  virtual void InitLayer() = 0;
  virtual CQEL_SmartPtr<CQEL_UnsignedIntRef> Layer() = 0;
  // Gives the style a colour of its own, all bytes 0; Color() is null before.
  virtual void InitColor() = 0;
  virtual CQEL_SmartPtr<CQEL_ColorARGB> Color() = 0;
  virtual void UseConstructionLineMode(const CQEL_SmartPtr<CQEL_BoolRef>& mode) = 0;
  // The mode last given, or null.
  virtual CQEL_SmartPtr<CQEL_BoolRef> ConstructionLineMode() const = 0;
};

// An object of the host's database: a geometry and a style.
class QEL_HOST_API CQEL_DBObject : public CQEL_Object {
 public:
  static const char* GetStaticClassName();
  virtual void SetGeometry(const CQEL_SmartPtr<CQEL_Geometry>& geometry) = 0;
  virtual CQEL_SmartPtr<CQEL_Geometry> GetGeometry() const = 0;
  // The object's style, made on first use; null when it could not be made.
  virtual CQEL_SmartPtr<CQEL_CommonStyle> GetCommonStyle() = 0;
};

// A database object whose geometry is a polyhedron, with an optional
// surface (texture) file.
class QEL_HOST_API CQEL_BasisPolyhedron3D : public CQEL_DBObject {
 public:
  static CQEL_SmartPtr<CQEL_BasisPolyhedron3D> CreateObj();
  static const char* GetStaticClassName();
  virtual void TextureDefinition(const CQEL_SmartPtr<CQEL_FileHandle>& surfaceFile) = 0;
  // The surface file last given, or null.
  virtual CQEL_SmartPtr<CQEL_FileHandle> TextureDefinition() const = 0;
};
