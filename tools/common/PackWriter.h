// Pack bytes for tools that write games: the attributes or connections maps
// of an ordered list of models, back to back, with the installed key table.
#pragma once

#include <memory>
#include <string>
#include <vector>

class QVModel;

namespace packwriter {

// Each model's pack (or packConnections) map in list order, no trailing nil.
// Throws what packing throws.
std::vector<unsigned char> packBytes(const std::vector<std::shared_ptr<QVModel>>& models, bool connections);

// "<Class>.<n>.attributes.pack" or "<Class>.<n>.connections.pack".
std::string packFileName(const std::string& className, int packNumber, bool connections);

// Writes a whole file; false on an I/O error (errno says why).
bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes);

}  // namespace packwriter
