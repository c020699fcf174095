#include "alien_impl.h"

#include <exception>
#include <string>
#include <utility>

#include <afxwin.h>
#include <comdef.h>

#include "float_exception_mask.h"
#include "ge_alloc.h"
#include "import_session.h"
#include "layer_construction.h"
#include "object_colour.h"
#include "object_judgement.h"
#include "polygon_conversion.h"
#include "polygon_topology.h"
#include "qel_host.h"
#include "spline_conversion.h"

namespace {

// Where a foreign error caught during layer construction is said to arise.
constexpr const char* kLayerGuardSource = "alien_impl";
constexpr int kLayerGuardLine = 536;
constexpr const char* kLayerErrorTitle = "An error occured during layer construction";
constexpr const char* kReportResourceModule = "Orbek_KVT_Controls";

CImportSession* Session() { return CImportSession::Current(); }

bool CountObject(const CString& name, int32_t typeId) {
  CImportSession* session = Session();
  return session && session->CountObject(name, typeId);
}

void StepProgress() {
  if (CImportSession* session = Session()) session->StepProgress();
}

// The host's active layer, or the host layer of the node's scene layer.
uint32_t HostLayerIdOf(const C4DBaseList2D& node) {
  uint32_t layerId = CQEL_Service_LayerResources::GetActiveLayer();
  if (const auto* layer = dynamic_cast<const AlienLayer*>(node.GetLayer())) layerId = layer->hostLayerId;
  return layerId;
}

int32_t DataTypeIdOf(const C4DBaseObject* object, int32_t fallback) {
  const auto* plugin = dynamic_cast<const C4DPluginObject*>(object);
  return plugin ? plugin->dataTypeId : fallback;
}

// Host points of an object's points under its global matrix, with every
// floating-point exception masked while they are computed.
// A newer file's points keep their double precision on the way.
PointList ConvertPointsMasked(const C4DBaseObject& object, const PrivateC4DPointTag& tag) {
  PointList hostPoints;
  FloatExceptionMask mask;
  if (tag.points64) {
    ConvertObjectPoints64(tag.points64, tag.pointCount, object.GetMg64(), hostPoints);
  } else {
    ConvertObjectPoints(tag.points, tag.pointCount, object.GetMg(), hostPoints);
  }
  return hostPoints;
}

void ShowLayerErrorReport(const std::string& report) {
  _ResourceHandleHelper resources(kReportResourceModule);
  CXMLTreeInfoDlg dialog(AfxGetAppName(), kLayerErrorTitle, report.c_str());
  dialog.DoModal();
}

// The report of an error that is not one of the host's own.
template <class... Cause>
std::string ForeignReport(const Cause&... cause) {
  CQEL_AppForeignException foreign(cause...);
  CString source;
  source.Format("%s(%d)", kLayerGuardSource, kLayerGuardLine);
  foreign.Source(source.Str());
  return foreign.PrintReport();
}

}  // namespace

CString GetNodeName(const C4DBaseList2D* node) {
  if (!node) return CString();
  char* text = node->GetName();
  CString name(text ? text : "");
  GeFree(text);
  return name;
}

// ---- the factory and the lists ------------------------------------------------------

C4DRootObject* AlienSceneFactory::NewObjectList() { return GeNew<AlienRootObject>(); }
C4DRootMaterial* AlienSceneFactory::NewMaterialList() { return GeNew<AlienRootMaterial>(); }
C4DRootLayer* AlienSceneFactory::NewLayerList() { return GeNew<AlienRootLayer>(); }
C4DBaseLayer* AlienSceneFactory::NewLayer() { return GeNew<AlienLayer>(); }
C4DBaseMaterial* AlienSceneFactory::NewMaterial() { return GeNew<AlienMaterial>(); }

namespace {

C4DBaseObject* NewAlienObject(int32_t typeId) {
  return NewObjectOfType(typeId, []() -> C4DSplineObject* { return GeNew<AlienSplineObject>(); });
}

}  // namespace

C4DBaseObject* AlienSceneFactory::NewObject(int32_t typeId) { return NewAlienObject(typeId); }

C4DPluginObjectData* AlienSceneFactory::NewObjectData(int32_t dataTypeId, bool& known) {
  known = IsKnownDataType(dataTypeId);
  if (!known) return nullptr;
  if (IsPrimitiveDataType(dataTypeId)) return GeNew<AlienPrimitiveObjectData>(dataTypeId);
  switch (dataTypeId) {
    case DATA_POLYGON: return GeNew<AlienPolygonObjectData>();
    case DATA_LIGHT: return GeNew<AlienLightObjectData>();
    case DATA_CAMERA: return GeNew<AlienCameraObjectData>();
    case DATA_FLOOR: return GeNew<AlienFloorObjectData>();
    case DATA_SKY: return GeNew<AlienSkyObjectData>();
    case DATA_ENVIRONMENT: return GeNew<AlienEnvironmentObjectData>();
    case DATA_FOREGROUND: return GeNew<AlienForegroundObjectData>();
    case DATA_BACKGROUND: return GeNew<AlienBackgroundObjectData>();
    case DATA_INSTANCE: return GeNew<AlienInstanceObjectData>();
    case DATA_NULL: return GeNew<AlienNullObjectData>();
    default: known = false; return nullptr;
  }
}

C4DBaseObject* AlienRootObject::AllocChild(int32_t typeId) { return NewAlienObject(typeId); }

C4DBaseMaterial* AlienRootMaterial::AllocChild(int32_t typeId) {
  (void)typeId;  // the list asks only for material chunks
  return GeNew<AlienMaterial>();
}

// ---- layers ---------------------------------------------------------------------------

int32_t AlienLayer::Execute() {
  HostLayerRequest request;
  request.longName = GetNodeName(this);
  if (CImportSession* session = Session()) request.filePath = session->m_path;
  request.visible = visible != 0;
  request.locked = locked != 0;
  if (auto* alienFactory = dynamic_cast<AlienSceneFactory*>(&Factory())) request.hints = &alienFactory->layerNameHints;

  // A host error while one layer is built is shown to the user and the
  // import goes on with the next layer.
  std::string report;
  bool failed = true;
  try {
    ConstructHostLayer(request, hostLayerId);
    failed = false;
  } catch (CQEL_AppException* exception) {
    report = exception->PrintReport();
    delete exception;
  } catch (CException* exception) {
    report = ForeignReport(exception);
    exception->Delete();
  } catch (const _com_error& error) {
    report = ForeignReport(error);
  } catch (const std::exception& error) {
    report = ForeignReport(error);
  } catch (...) {
    report = ForeignReport();
  }
  if (failed) ShowLayerErrorReport(report);
  return 1;
}

// ---- objects --------------------------------------------------------------------------

namespace {

// The import's judgement of an object in the session's circumstances.
ObjectJudgement Judge(const C4DBaseObject& object) {
  CImportSession* session = Session();
  ObjectJudgementOptions options;
  options.convertLarge = session && session->m_convertLarge;
  return JudgeObject(object, options);
}

// Primitives and instances stand for their fallback caches: counted while
// counting, passed on to the cache while converting.
int32_t CountOrPassOn(const C4DBaseObject* object, int32_t dataTypeId) {
  return CountObject(GetNodeName(object), dataTypeId) ? 1 : 0;
}

}  // namespace

int32_t AlienPrimitiveObjectData::Execute() { return CountOrPassOn(owner, dataTypeId); }

int32_t AlienInstanceObjectData::Execute() { return CountOrPassOn(owner, DataTypeIdOf(owner, DATA_INSTANCE)); }

int32_t AlienPolygonObjectData::Execute() {
  C4DBaseObject* object = owner;
  if (!object) return 0;
  const ObjectJudgement judgement = Judge(*object);
  if (!judgement.counted) return judgement.dealtWith ? 1 : 0;
  CImportSession* session = Session();
  if (!session) return 0;
  if (session->m_countingPass && session->m_maxPolygonCount < judgement.polygons) {
    session->m_maxPolygonCount = judgement.polygons;
  }
  if (session->CountObject(GetNodeName(object), DataTypeIdOf(object, DATA_POLYGON))) return 1;
  if (session->IsCancelled()) return 0;
  if (!judgement.converts) return 1;

  const auto& pointTag = *static_cast<const PrivateC4DPointTag*>(object->GetTag(TAG_TYPE_POINT));
  const auto& polygonTag = *static_cast<const PrivateC4DPolygonTag*>(object->GetTag(TAG_TYPE_POLYGON));
  PointList hostPoints = ConvertPointsMasked(*object, pointTag);
  EdgeList edges;
  FaceList faces;
  {
    // The planarity test computes with the scene's own coordinates.
    FloatExceptionMask mask;
    BuildPolygonTopology(polygonTag.polygons, polygonTag.polygonCount, pointTag.points, pointTag.pointCount, edges,
                         faces);
  }
  if (faces.empty()) return 1;  // nothing to show: not counted as converted

  Vector colour{0.0f, 0.0f, 0.0f};
  float transparency = 0.0f;
  ResolveObjectColour(object, colour, transparency);
  const uint32_t layerId = HostLayerIdOf(*object);
  AppendMeshPolyhedron(colour, std::move(hostPoints), std::move(edges), std::move(faces), layerId, transparency);
  session->StepProgress();
  return 1;
}

int32_t AlienSplineObject::Execute() {
  const ObjectJudgement judgement = Judge(*this);
  if (!judgement.counted) return judgement.dealtWith ? 1 : 0;
  if (CountObject(GetNodeName(this), dataTypeId)) return 1;
  if (!judgement.converts) return 0;

  // The points are those of the object that holds the data: the spline.
  const C4DBaseObject* holder = objectData->owner ? objectData->owner : this;
  const auto& pointTag = *static_cast<const PrivateC4DPointTag*>(holder->GetTag(TAG_TYPE_POINT));
  PointList hostPoints = ConvertPointsMasked(*holder, pointTag);
  const bool closed = GetSplineSetting(SPLINE_SETTING_CLOSED) == 1;
  const uint32_t layerId = HostLayerIdOf(*this);
  Vector colour{0.0f, 0.0f, 0.0f};
  float transparency = 0.0f;
  ResolveObjectColour(this, colour, transparency);
  AppendSplinePolyline(std::move(hostPoints), layerId, colour, transparency, closed);
  StepProgress();
  return 1;
}
