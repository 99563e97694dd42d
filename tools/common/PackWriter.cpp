#include "PackWriter.h"

#include <cstdio>

#include "model/core/QVModel.h"
#include "model/core/QVPackMap.h"

namespace packwriter {

std::vector<unsigned char> packBytes(const std::vector<std::shared_ptr<QVModel>>& models, bool connections) {
    std::vector<unsigned char> bytes;
    for (const auto& model : models) {
        msgpack::zone zone;
        QVPackMap map(zone);
        if (connections) {
            model->packConnections(map);
        } else {
            model->pack(map);
        }
        map.appendTo(bytes);
    }
    return bytes;
}

std::string packFileName(const std::string& className, int packNumber, bool connections) {
    return className + "." + std::to_string(packNumber) + (connections ? ".connections" : ".attributes") + ".pack";
}

bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace packwriter
