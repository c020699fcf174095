#include "readers.h"

#include <Model/COM/NMR_DLLInterfaces.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <set>
#include <vector>

using namespace NMR;

// The 3MF library's package reader leaves the zip entries it opens open; the
// sanitizer build does not blame the tests for the zip library's memory.
extern "C" const char* __lsan_default_suppressions() { return "leak:libzip.so\n"; }

ThreeMfContents ReadThreeMf(const std::string& path) {
  ThreeMfContents out;
  PLib3MFModel *model = nullptr, *reader = nullptr, *meshes = nullptr, *groups = nullptr, *resource = nullptr;
  lib3mf_createmodel(&model);
  lib3mf_model_queryreader(model, "3mf", &reader);
  LPCSTR message = "unreadable";
  DWORD code = 0, count = 0;
  if (lib3mf_reader_readfromfileutf8(reader, path.c_str()) != LIB3MF_OK) {
    lib3mf_getlasterror(reader, &code, &message);
    out.error = message;
  }
  std::set<std::array<float, 3>> points;
  BOOL more = false;
  lib3mf_model_getmeshobjects(model, &meshes);
  while (lib3mf_resourceiterator_movenext(meshes, &more) == LIB3MF_OK && more) {
    lib3mf_resourceiterator_getcurrent(meshes, &resource);
    lib3mf_meshobject_gettrianglecount(resource, &count);
    out.objects += 1;
    out.triangles += count;
    lib3mf_meshobject_getvertexcount(resource, &count);
    std::vector<MODELMESHVERTEX> vertices(count);
    lib3mf_meshobject_getvertices(resource, vertices.data(), count, nullptr);
    for (const auto& v : vertices) points.insert({v.m_fPosition[0], v.m_fPosition[1], v.m_fPosition[2]});
    lib3mf_release(resource);
  }
  out.points = points.size();
  lib3mf_model_getbasematerials(model, &groups);
  while (lib3mf_resourceiterator_movenext(groups, &more) == LIB3MF_OK && more) {
    lib3mf_resourceiterator_getcurrent(groups, &resource);
    lib3mf_basematerial_getcount(resource, &count);
    out.materials += count;
    lib3mf_release(resource);
  }
  for (PLib3MFBase* handle : {groups, meshes, reader, model}) lib3mf_release(handle);
  return out;
}

std::string Shell(const std::string& command, int& exitCode) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[4096];
  for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  exitCode = pipe ? WEXITSTATUS(pclose(pipe)) : -1;
  return out;
}
