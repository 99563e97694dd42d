// The header pass every shader source goes through before the driver sees
// it, so GLES-style shader text from game data compiles as GLSL 1.20.
#pragma once

#include <cstddef>
#include <string>

namespace cocos2d {

// Bigger sources are refused: game data is hostile, and no real shader
// comes near it.
constexpr std::size_t kCCShaderSourceMaxBytes = 256 * 1024;

// Drops a leading #version line and every `precision <qualifier> <type>;`
// statement, then prepends `#version 120`, empty defines for the precision
// qualifiers, a declaration of each built-in uniform the source uses but does
// not declare, and `#line 1` so driver messages quote the source's own line
// numbers. Returns false (with a reason in *error) for a source over the cap.
bool prepareShaderSource(const std::string& source, std::string* out, std::string* error);

}  // namespace cocos2d
