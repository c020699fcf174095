#include "c4d_scene_factory.h"

#include "c4d_layer.h"
#include "c4d_material.h"
#include "c4d_object.h"
#include "c4d_object_data.h"
#include "ge_alloc.h"

C4DRootObject* C4DSceneFactory::NewObjectList() { return GeNew<C4DDefaultRootObject>(); }

C4DRootMaterial* C4DSceneFactory::NewMaterialList() { return GeNew<C4DDefaultRootMaterial>(); }

C4DRootLayer* C4DSceneFactory::NewLayerList() { return GeNew<C4DRootLayer>(); }

C4DBaseLayer* C4DSceneFactory::NewLayer() { return GeNew<C4DBaseLayer>(); }

C4DBaseMaterial* C4DSceneFactory::NewMaterial() { return GeNew<C4DMaterial>(); }

C4DBaseObject* NewObjectOfType(int32_t typeId, C4DSplineObject* (*newSpline)()) {
  switch (typeId) {
    case OBJECT_SPLINE:
    case OBJECT_SPLINE_LINE: {
      // A spline reaches its points through the point data it is born with.
      C4DSplineObject* spline = newSpline();
      if (!spline) return nullptr;
      C4DPointObjectData* points = GeNew<C4DPointObjectData>();
      if (!points) {
        delete spline;
        return nullptr;
      }
      spline->SetObjectData(points);
      return spline;
    }
    case OBJECT_PLUGIN:
    case OBJECT_PLUGIN_POLYGON:
      return GeNew<C4DPluginObject>(typeId);
    default:
      return nullptr;
  }
}

C4DBaseObject* C4DSceneFactory::NewObject(int32_t typeId) {
  return NewObjectOfType(typeId, []() -> C4DSplineObject* { return GeNew<C4DSplineObject>(); });
}

C4DPluginObjectData* C4DSceneFactory::NewObjectData(int32_t dataTypeId, bool& known) {
  known = IsKnownDataType(dataTypeId);
  if (!known) return nullptr;
  if (IsPrimitiveDataType(dataTypeId)) return GeNew<C4DPrimitiveObjectData>();
  switch (dataTypeId) {
    case DATA_POLYGON: return GeNew<C4DPolygonObjectData>();
    case DATA_LIGHT: return GeNew<C4DLightObjectData>();
    case DATA_CAMERA: return GeNew<C4DCameraObjectData>();
    case DATA_FLOOR: return GeNew<C4DFloorObjectData>();
    case DATA_SKY: return GeNew<C4DSkyObjectData>();
    case DATA_ENVIRONMENT: return GeNew<C4DEnvironmentObjectData>();
    case DATA_FOREGROUND: return GeNew<C4DForegroundObjectData>();
    case DATA_BACKGROUND: return GeNew<C4DBackgroundObjectData>();
    case DATA_INSTANCE: return GeNew<C4DInstanceObjectData>();
    case DATA_NULL: return GeNew<C4DNullObjectData>();
    default: return nullptr;
  }
}

C4DRootObject* C4DSceneFactory::MakeObjectList() {
  C4DRootObject* list = NewObjectList();
  if (list) list->factory = this;
  return list;
}

C4DRootMaterial* C4DSceneFactory::MakeMaterialList() {
  C4DRootMaterial* list = NewMaterialList();
  if (list) list->factory = this;
  return list;
}

C4DRootLayer* C4DSceneFactory::MakeLayerList() {
  C4DRootLayer* list = NewLayerList();
  if (list) list->factory = this;
  return list;
}

C4DSceneFactory& C4DSceneFactory::Default() {
  static C4DSceneFactory factory;
  return factory;
}
