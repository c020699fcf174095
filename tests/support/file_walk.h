// Walks a scene file with nothing but the file layer: the chunk lists with
// their skipping, every typed read, containers in both forms and stand-alone
// values, and writes down what each step gave. Two walks of the same bytes
// must write the same transcript, however the file was opened; the fuzz
// target of the file layer walks with it as well.
#pragma once
#include <string>

class GeChunkFile;

// Walks an opened file from its document chunk. How a chunk is read follows
// from its id, so that damaged ids reach every path: ids divisible by 5 are
// left to the list to skip; odd ids read their nested chunks as a list that
// ends after the first chunk it leaves unread; a chunk start right after an
// odd chunk's header is read as a container. The transcript lists each step
// with its result, the position, and at the end the file's error.
std::string WalkFile(GeChunkFile& file);
