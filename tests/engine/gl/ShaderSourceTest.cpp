#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "gl/ShaderSource.h"

using namespace cocos2d;

namespace {

std::string prepare(const std::string& source) {
    std::string out, error;
    EXPECT_TRUE(prepareShaderSource(source, &out, &error)) << error;
    return out;
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The part after the header's closing #line.
std::string body(const std::string& prepared) {
    const size_t at = prepared.find("#line 1\n");
    return at == std::string::npos ? std::string() : prepared.substr(at + 8);
}

const char* const kGlesReflection =
    "#ifdef GL_ES\n"
    "precision lowp float;\n"
    "#endif\n"
    "varying vec4 v_fragmentColor;\n"
    "varying vec2 v_texCoord;\n"
    "uniform vec4 u_shadeColor;\n"
    "void main() {\n"
    "    gl_FragColor = texture2D(CC_Texture0, v_texCoord) * u_shadeColor;\n"
    "}\n";

}  // namespace

TEST(ShaderHeader, GlesShaderFromGameDataBecomesGlsl120WithTheSamplerDeclared) {
    const std::string out = prepare(kGlesReflection);
    EXPECT_EQ(out.rfind("#version 120\n", 0), 0u) << out;
    for (const char* define : {"#define lowp\n", "#define mediump\n", "#define highp\n"})
        EXPECT_EQ(count(out, define), 1u) << define;
    EXPECT_EQ(count(out, "uniform sampler2D CC_Texture0;"), 1u);
    // Precision statements are gone; the GL_ES guard is left for the
    // preprocessor, which skips it on desktop GL.
    EXPECT_EQ(out.find("precision"), std::string::npos);
    EXPECT_NE(out.find("#ifdef GL_ES"), std::string::npos);
    // Built-ins the shader never names are not declared.
    EXPECT_EQ(out.find("CC_MVPMatrix"), std::string::npos);
    EXPECT_EQ(out.find("CC_Time"), std::string::npos);
    // A bare precision line without the guard is dropped too.
    const std::string bare = prepare("precision highp float;\nvoid main() { gl_FragColor = vec4(1.0); }\n");
    EXPECT_EQ(bare.find("precision"), std::string::npos);
    EXPECT_NE(bare.find("gl_FragColor = vec4(1.0);"), std::string::npos);
}

TEST(ShaderHeader, VersionAndPrecisionLinesAreBlankedSoDriverLineNumbersMatchTheFile) {
    const std::string source =
        "// water\n"
        "#version 100\n"
        "precision mediump float;\n"
        "uniform lowp sampler2D CC_Texture0;\n"
        "void main() { gl_FragColor = texture2D(CC_Texture0, vec2(0.0)); }\n";
    const std::string out = prepare(source);
    EXPECT_EQ(count(out, "#version"), 1u);
    EXPECT_EQ(out.find("#version 100"), std::string::npos);
    // The header ends with #line 1 and the body keeps one line per source line.
    const std::string rest = body(out);
    EXPECT_EQ(std::count(rest.begin(), rest.end(), '\n'), std::count(source.begin(), source.end(), '\n'));
    EXPECT_EQ(rest.substr(0, 9), "// water\n");
    // Line 4 of the file is still line 4 after the pass.
    size_t line4 = 0;
    for (int i = 0; i < 3; ++i) line4 = rest.find('\n', line4) + 1;
    EXPECT_EQ(rest.compare(line4, 32, "uniform lowp sampler2D CC_Textur"), 0) << rest;
    // It declares the sampler itself, so the header does not redefine it.
    EXPECT_EQ(count(out, "CC_Texture0;"), 1u);
}

TEST(ShaderHeader, EachUsedBuiltInIsDeclaredOnceWithItsType) {
    const std::string out = prepare(
        "uniform mat4 CC_PMatrix;\n"
        "void main() {\n"
        "  vec4 p = CC_MVPMatrix * CC_MVMatrix * CC_PMatrix * vec4(CC_Time.x + CC_SinTime.y + CC_CosTime.z);\n"
        "  gl_FragColor = p * CC_Random01;\n"
        "}\n");
    // CC_PMatrix: the source's own declaration only.
    for (const char* declaration : {"uniform mat4 CC_MVPMatrix;", "uniform mat4 CC_MVMatrix;", "CC_PMatrix;",
                                    "uniform vec4 CC_Time;", "uniform vec4 CC_SinTime;", "uniform vec4 CC_CosTime;",
                                    "uniform vec4 CC_Random01;"})
        EXPECT_EQ(count(out, declaration), 1u) << declaration;
    EXPECT_EQ(out.find("CC_Texture0"), std::string::npos);
    // A longer name that merely starts with a built-in's name is not a use.
    const std::string other = prepare("uniform vec4 CC_TimeScale;\nvoid main() { gl_FragColor = CC_TimeScale; }\n");
    EXPECT_EQ(other.find("uniform vec4 CC_Time;"), std::string::npos);
}

TEST(ShaderHeader, SourcesOverTheCapAreRefused) {
    std::string out, error;
    const std::string huge(kCCShaderSourceMaxBytes + 1, ' ');
    EXPECT_FALSE(prepareShaderSource(huge, &out, &error));
    EXPECT_NE(error.find("256 KiB"), std::string::npos);
    EXPECT_TRUE(prepareShaderSource(std::string(kCCShaderSourceMaxBytes, ' '), &out, &error));
}
