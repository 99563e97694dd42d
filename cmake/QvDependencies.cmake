# Every external library comes from Debian's packages (tools/install-deps.sh)
# and is found here, once, for every area of the build.
find_package(PkgConfig REQUIRED)
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)
find_package(PNG REQUIRED)
find_package(SQLite3 REQUIRED)
find_package(tinyxml2 CONFIG REQUIRED)
find_package(OpenSSL 3 REQUIRED COMPONENTS Crypto)
find_package(box2d CONFIG REQUIRED)
find_package(OpenGL REQUIRED)
find_package(glfw3 3.3 REQUIRED)
find_package(GLEW REQUIRED)
find_package(X11 REQUIRED)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
pkg_check_modules(OPENAL REQUIRED IMPORTED_TARGET openal)
pkg_check_modules(MPG123 REQUIRED IMPORTED_TARGET libmpg123)
pkg_check_modules(OIS REQUIRED IMPORTED_TARGET OIS)

# LAME has no pkg-config file on Debian; the sample-game tool encodes with it.
if(QV_BUILD_TOOLS AND NOT QV_FUZZ)
  find_path(LAME_INCLUDE_DIR lame/lame.h REQUIRED)
  find_library(LAME_LIBRARY mp3lame REQUIRED)
  add_library(Lame::mp3lame UNKNOWN IMPORTED)
  set_target_properties(Lame::mp3lame PROPERTIES
    IMPORTED_LOCATION ${LAME_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${LAME_INCLUDE_DIR})
endif()

# The sample-game tool's font baker and the face it bakes.
find_package(Freetype REQUIRED)
find_file(QV_SAMPLEGAME_FONT DejaVuSans-Bold.ttf
  PATHS /usr/share/fonts/truetype/dejavu
  NO_DEFAULT_PATH REQUIRED)

# The test-data writer; Debian's interpreter first, as it sees python3-msgpack.
set(Python3_FIND_UNVERSIONED_NAMES FIRST)
set(Python3_ROOT_DIR /usr)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# msgpack-c is header-only here; Boost is never pulled in.
add_library(qv_msgpack INTERFACE)
target_compile_definitions(qv_msgpack INTERFACE MSGPACK_NO_BOOST MSGPACK_DEFAULT_API_VERSION=3)

if(QV_BUILD_TESTS AND NOT QV_FUZZ)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()
if(QV_BUILD_BENCH AND NOT QV_FUZZ)
  find_package(benchmark REQUIRED)
endif()
