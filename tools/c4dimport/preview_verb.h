// `c4dimport preview FILE -o FILE.jpg`: the preview image a scene file
// carries, written byte for byte as stored; several files or folders write
// one NAME.jpg each into an output folder, as the import verb's batches do.
#pragma once
#include <iosfwd>
#include <string>
#include <vector>

struct PreviewVerbOptions {
  std::vector<std::string> paths;  // files and folders
  std::string output;              // a file, or the folder of a batch
  bool overwrite = false;          // write also where the image exists
};

// 0 done; 1 a file could not be read (in a batch: any); 2 bad usage; 3 the
// one file holds no preview, or an image could not be written. A file of a
// batch without a preview is listed as such and is no failure.
int RunPreviewVerb(const PreviewVerbOptions& options, std::ostream& out, std::ostream& err);
