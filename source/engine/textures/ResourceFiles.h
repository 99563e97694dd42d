// Engine-internal file access for images and atlases. Everything the texture
// and frame code reads goes through these three calls, so path resolution and
// size limits live in one place (the file utilities).
#pragma once

#include <cstddef>
#include <string>

namespace cocos2d {
namespace resource {

// The resolved path used as cache key; an unresolved name comes back unchanged.
std::string fullPath(const std::string& name);
// True for an existing regular file.
bool exists(const std::string& path);
// malloc'ed bytes followed by one NUL, or null (size 0). The caller frees.
unsigned char* readAll(const std::string& path, size_t* size);

}  // namespace resource
}  // namespace cocos2d
