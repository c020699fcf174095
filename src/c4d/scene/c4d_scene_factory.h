// The creation hooks of the scene model. Every list, layer, object, material
// and object data record of a loaded document is made through one factory, so
// that a user of the library (the conversion module) gets its own subclasses
// into the scene. The default implementation makes the library's classes.
//
// A factory is handed to C4DBaseDocument and must outlive it. The lists it
// makes carry a pointer to it and pass it on to the nodes they create, so
// child, cache and child-layer lists come from the same factory.
#pragma once
#include <cstdint>

class C4DRootObject;
class C4DRootMaterial;
class C4DRootLayer;
class C4DBaseLayer;
class C4DBaseObject;
class C4DBaseMaterial;
class C4DPluginObjectData;

class C4DSceneFactory {
 public:
  virtual ~C4DSceneFactory() = default;

  // Hooks. Each returns a new node that the caller owns, or null.
  // The document's object list, and every child and cache list.
  virtual C4DRootObject* NewObjectList();
  // The document's material list.
  virtual C4DRootMaterial* NewMaterialList();
  // The document's layer list and every layer's child list.
  virtual C4DRootLayer* NewLayerList();
  // A layer, for chunk 100004801 of a layer list.
  virtual C4DBaseLayer* NewLayer();
  // An object for an object chunk; used by the default object list
  // (C4DDefaultRootObject). The library accepts 5101 and 5137 (a spline with
  // point data attached), 5154 and 1001091 (a plugin object); null otherwise.
  // An own-type object of a '6C4D' file is asked for as 5154 (see
  // C4DRootObject::NewChild) and gets its record from NewObjectData.
  virtual C4DBaseObject* NewObject(int32_t typeId);
  // A material; used by the default material list (C4DDefaultRootMaterial).
  virtual C4DBaseMaterial* NewMaterial();
  // An object data record for a data type id. `known` tells whether the id
  // is a known data type (then null means the allocation failed).
  virtual C4DPluginObjectData* NewObjectData(int32_t dataTypeId, bool& known);
  // Whether tag lists keep a spline's segment and tangent tags. The import
  // module reads splines without them (no segment tag exists after loading);
  // a reader that evaluates splines as drawn turns this on.
  virtual bool KeepsSplineTags() const { return false; }
  // Whether tag lists keep polygon selection tags (5673), which texture tags
  // name to restrict their material. The import module does without them.
  virtual bool KeepsSelectionTags() const { return false; }

  // Call a hook and stamp this factory onto the new list, so that the nodes
  // the list creates use this factory too.
  C4DRootObject* MakeObjectList();
  C4DRootMaterial* MakeMaterialList();
  C4DRootLayer* MakeLayerList();

  // The library's factory.
  static C4DSceneFactory& Default();
};

class C4DSplineObject;

// The object for an object chunk: 5101 and 5137 a spline made by `newSpline`
// with point data attached, 5154 and 1001091 a plugin object with that type
// id, null for every other id. Factories differ only in their spline class.
C4DBaseObject* NewObjectOfType(int32_t typeId, C4DSplineObject* (*newSpline)());
