#include "readers.h"

#include <Model/COM/NMR_DLLInterfaces.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <set>
#include <vector>

using namespace NMR;

ThreeMfContents ReadThreeMf(const std::string& path) {
  ThreeMfContents out;
  PLib3MFModel *model = nullptr, *reader = nullptr, *meshes = nullptr, *groups = nullptr;
  lib3mf_createmodel(&model);
  lib3mf_model_queryreader(model, "3mf", &reader);
  LPCSTR message = nullptr;
  DWORD code = 0;
  if (lib3mf_reader_readfromfileutf8(reader, path.c_str()) != LIB3MF_OK) {
    lib3mf_getlasterror(reader, &code, &message);
    out.error = message ? message : "unreadable";
  }
  std::set<std::array<float, 3>> points;
  BOOL more = false;
  lib3mf_model_getmeshobjects(model, &meshes);
  while (lib3mf_resourceiterator_movenext(meshes, &more) == LIB3MF_OK && more) {
    PLib3MFModelResource* mesh = nullptr;
    DWORD vertices = 0, triangles = 0;
    lib3mf_resourceiterator_getcurrent(meshes, &mesh);
    lib3mf_meshobject_getvertexcount(mesh, &vertices);
    lib3mf_meshobject_gettrianglecount(mesh, &triangles);
    std::vector<MODELMESHVERTEX> positions(vertices);
    lib3mf_meshobject_getvertices(mesh, positions.data(), vertices, nullptr);
    for (const auto& p : positions) points.insert({p.m_fPosition[0], p.m_fPosition[1], p.m_fPosition[2]});
    out.objects += 1;
    out.triangles += triangles;
    lib3mf_release(mesh);
  }
  lib3mf_model_getbasematerials(model, &groups);
  while (lib3mf_resourceiterator_movenext(groups, &more) == LIB3MF_OK && more) {
    PLib3MFModelResource* group = nullptr;
    DWORD count = 0;
    lib3mf_resourceiterator_getcurrent(groups, &group);
    lib3mf_basematerial_getcount(group, &count);
    out.materials += count;
    lib3mf_release(group);
  }
  out.points = points.size();
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
