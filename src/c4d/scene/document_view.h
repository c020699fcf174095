// How a document's author last saw the scene, read straight from an opened
// file without loading the scene: the preview image the scene program keeps
// in the first chunk of newer files, and the camera of the editor's
// perspective view.
//
//   GeChunkFile file;
//   std::vector<uint8_t> jpeg;
//   if (file.Open(path) && ReadDocumentPreview(file, jpeg)) ...
#pragma once
#include <cstdint>
#include <vector>

#include "ge_chunk_file.h"

// The document header chunk from level 2 on: version, two flags, the JPEG
// in a private block. False (and `jpeg` empty) when the file holds none or
// the block is no JPEG; reads from the file's start.
bool ReadDocumentPreview(GeChunkFile& file, std::vector<uint8_t>& jpeg);

struct C4DViewCamera {
  // World matrix in the scene's own frame (Y up, left-handed, centimetres):
  // the view looks along zAxis, with yAxis up.
  Matrix64 matrix;
  double focalLength = 36.0;    // millimetres
  double apertureWidth = 36.0;  // millimetres: the film's width, across which the field of view is taken
  // The horizontal field of view in radians.
  double HorizontalFov() const;
};

// The camera of the first perspective view of the document's view list
// (chunk 110123); false when there is none or it cannot be read. Reads from
// the file's start; the file's error may be set afterwards.
bool ReadViewCamera(GeChunkFile& file, C4DViewCamera& camera);
