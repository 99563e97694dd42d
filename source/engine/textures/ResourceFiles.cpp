#include "textures/ResourceFiles.h"

#include "platform/CCFileUtils.h"

namespace cocos2d {
namespace resource {

std::string fullPath(const std::string& name) {
    if (name.empty()) return name;
    return CCFileUtils::sharedFileUtils()->fullPathForFilename(name);
}

bool exists(const std::string& path) {
    return !path.empty() && CCFileUtils::sharedFileUtils()->isFileExist(path);
}

unsigned char* readAll(const std::string& path, size_t* size) {
    unsigned long n = 0;
    unsigned char* bytes = CCFileUtils::sharedFileUtils()->getFileData(path, "rb", &n);
    *size = bytes ? static_cast<size_t>(n) : 0;
    return bytes;
}

}  // namespace resource
}  // namespace cocos2d
