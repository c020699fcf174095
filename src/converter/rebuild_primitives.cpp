#include "rebuild_primitives.h"

#include "c4d_object.h"
#include "c4d_object_data.h"
#include "ge_alloc.h"
#include "host_objects.h"
#include "qel_Exceptions.h"
#include "primitives.h"

namespace c4drebuild {

namespace {

using HostObjects = std::vector<CQEL_SmartPtr<CQEL_Object>>;

std::string Joined(const std::vector<std::string>& notes) {
  std::string text;
  for (const std::string& note : notes) text += (text.empty() ? "" : "; ") + note;
  return text;
}

}  // namespace

RebuiltPrimitive RebuildPrimitive(const C4DPluginObject& object, const std::string& path, HostObjects& hostObjects,
                                  const CQEL_SmartPtr<CQEL_ResourceLayerTable>& table, uint64_t polygonLimit,
                                  GeAllocMeter& budget) {
  RebuiltPrimitive found;
  found.object = &object;
  found.path = path;
  found.dataType = object.GetDataTypeId();
  found.kind = c4dprim::PrimitiveName(found.dataType);
  const c4dprim::PrimitiveRead read = c4dprim::ReadPrimitive(found.dataType, object.data);
  try {
    if (!read.shape) {
      found.reason = read.reason;
    } else if (const uint64_t polygons = c4dprim::PolygonCount(*read.shape); polygons > polygonLimit) {
      found.reason = "a mesh of " + std::to_string(polygons) + " polygons, over the large-object limit of " +
                     std::to_string(polygonLimit) +
                     ": answer yes to the question about large objects (--large yes) to rebuild it";
    } else if (!budget.Charge(polygons * kHostBytesPerPolygon)) {
      found.reason = "a mesh of " + std::to_string(polygons) + " polygons, over what this file may rebuild (" +
                     std::to_string(budget.limit >> 20) + " MiB of host objects, " +
                     std::to_string(budget.used >> 20) + " MiB taken)";
    } else if (c4dhost::AppendMesh(object, c4dprim::BuildPrimitiveMesh(*read.shape), hostObjects, table)) {
      found.rebuilt = true;
      found.objectIndex = hostObjects.size() - 1;
      found.reason = Joined(read.notes);
    } else {
      found.reason = "its parameters give no face (a size of 0)";
    }
  } catch (CQEL_AppException* exception) {
    found.reason = "the host could not make it: " + std::string(exception->PrintReport());
    delete exception;
  } catch (const std::exception& error) {
    // Out of memory, say: this one is left out, the others are still tried.
    found.reason = std::string("it could not be rebuilt: ") + error.what();
  }
  return found;
}

}  // namespace c4drebuild
