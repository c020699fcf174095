// Fuzz target: the whole host side, as c4dimport converts a file: the import
// through the module with the stand-in host, primitives rebuilt from their
// parameters and the objects not converted named (ConvertFile, which writes
// one format chosen by the input's length), then what reached the host
// written into every format. The question about large objects is answered
// No, as in a batch. Every host object is released afterwards. The outputs
// live in memory, in /dev/shm (scripts/fuzz.sh removes them).
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "convert_file.h"
#include "memory_backed_path.h"
#include "standin/host_control.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MemoryBackedPath backing;
  static const std::string output = "/dev/shm/fuzz_convert-" + std::to_string(getpid()) + ".";
  static std::ostream nowhere(nullptr);
  const std::string& path = backing.Write(data, size);
  standin::ResetHost();
  const long liveBefore = standin::LiveObjectCount();
  {
    const std::vector<c4dexport::ExportFormat>& formats = c4dexport::ExportFormats();
    c4dimport::ConvertOptions options;
    options.import.messageStream = &nowhere;
    options.countingFigures = size % 2 == 1;
    options.format = &formats[size % formats.size()];
    options.output = output + options.format->name;
    const c4dimport::Conversion conversion = c4dimport::ConvertFile(path, options);
    std::vector<c4dexport::ExportLayer> layers;
    for (const standin::LayerLeafEntry& entry : conversion.result.layers) {
      if (entry.leaf) layers.push_back({entry.leaf->Id(), entry.leaf->LongName(), entry.path});
    }
    const c4dexport::ExportScene scene = c4dexport::BuildExportScene(conversion.result.objects, layers, "scene.c4d");
    for (const c4dexport::ExportFormat& format : formats) c4dexport::WriteExportFile(scene, output + format.name, format);
  }
  standin::ResetHost();
  if (standin::LiveObjectCount() != liveBefore) std::abort();
  return 0;
}
