// The module's scene node classes. For every node kind the import cares
// about, a class derived from the scene library's overrides Execute; the
// scene factory below makes the library create these classes, so every node
// of a loaded document is one of them. The document's traversal then calls
// Execute on each node in both passes of an import.
//
// Execute returns 1 when the node was dealt with (converted, left out by a
// rule, or counted) and 0 when not; for objects, 0 makes the traversal
// convert the object's fallback cache instead.
#pragma once
#include <cstdint>

#include <afxstr.h>

#include "c4d_document.h"
#include "layer_construction.h"

// A node's name as 8-bit text ("" when it has none).
CString GetNodeName(const C4DBaseList2D* node);

// The creation hooks of the module: its own lists, layers and object data.
class AlienSceneFactory : public C4DSceneFactory {
 public:
  C4DRootObject* NewObjectList() override;
  C4DRootMaterial* NewMaterialList() override;
  C4DRootLayer* NewLayerList() override;
  C4DBaseLayer* NewLayer() override;
  C4DBaseObject* NewObject(int32_t typeId) override;
  C4DBaseMaterial* NewMaterial() override;
  C4DPluginObjectData* NewObjectData(int32_t dataTypeId, bool& known) override;

  // The factory lives for one import run: the layers it made share these.
  ShortNameHints layerNameHints;
};

// The document's object list, every child list and both cache lists.
class AlienRootObject : public C4DRootObject {
 public:
  // Splines (5101, 5137) with point data attached, plugin objects (5154,
  // 1001091); no node for any other id, so the chunk is skipped.
  C4DBaseObject* AllocChild(int32_t typeId) override;
};

class AlienRootMaterial : public C4DRootMaterial {
 public:
  C4DBaseMaterial* AllocChild(int32_t typeId) override;
};

// The document's layer list and every layer's child list; the library's
// AllocChild makes layers through the factory's layer hook.
class AlienRootLayer : public C4DRootLayer {};

// A scene layer; Execute makes or finds its leaf in the host's layer table
// in both passes and keeps the leaf's id for the objects on the layer.
class AlienLayer : public C4DBaseLayer {
 public:
  int32_t Execute() override;

  uint32_t hostLayerId = 0;
};

// Materials only lend their colour and transparency to objects.
class AlienMaterial : public C4DMaterial {
 public:
  int32_t Execute() override { return 1; }
};

// A spline becomes one host polyline through all its control points.
class AlienSplineObject : public C4DSplineObject {
 public:
  int32_t Execute() override;
};

// A polygon object's mesh becomes one host polyhedron.
class AlienPolygonObjectData : public C4DPolygonObjectData {
 public:
  int32_t Execute() override;
};

// Primitives and instances: counted as one object while counting; while
// converting they make nothing themselves, so the traversal converts the
// polygon objects of their fallback cache.
class AlienPrimitiveObjectData : public C4DPluginObjectData {
 public:
  explicit AlienPrimitiveObjectData(int32_t primitiveTypeId) : dataTypeId(primitiveTypeId) {}
  int32_t Execute() override;

  int32_t dataTypeId;
};

class AlienInstanceObjectData : public C4DInstanceObjectData {
 public:
  int32_t Execute() override;
};

// Kinds that are read and left out; their fallback caches are not visited.
class AlienNullObjectData : public C4DNullObjectData {
 public:
  int32_t Execute() override { return 1; }
};
class AlienLightObjectData : public C4DLightObjectData {
 public:
  int32_t Execute() override { return 1; }
};
class AlienCameraObjectData : public C4DCameraObjectData {
 public:
  int32_t Execute() override { return 1; }
};
class AlienFloorObjectData : public C4DFloorObjectData {
 public:
  int32_t Execute() override { return 1; }
};
class AlienSkyObjectData : public C4DSkyObjectData {
 public:
  int32_t Execute() override { return 1; }
};
class AlienEnvironmentObjectData : public C4DEnvironmentObjectData {
 public:
  int32_t Execute() override { return 1; }
};
class AlienForegroundObjectData : public C4DForegroundObjectData {
 public:
  int32_t Execute() override { return 1; }
};
class AlienBackgroundObjectData : public C4DBackgroundObjectData {
 public:
  int32_t Execute() override { return 1; }
};
