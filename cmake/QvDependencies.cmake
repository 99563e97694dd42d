# Every external library comes from Debian's packages; see tools/install-deps.sh.
find_package(PkgConfig REQUIRED)
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)
find_package(PNG REQUIRED)
find_package(SQLite3 REQUIRED)
find_package(tinyxml2 CONFIG REQUIRED)
find_package(OpenSSL 3 REQUIRED COMPONENTS Crypto)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)

# msgpack-c is header-only here; Boost is never pulled in.
add_library(qv_msgpack INTERFACE)
target_compile_definitions(qv_msgpack INTERFACE MSGPACK_NO_BOOST MSGPACK_DEFAULT_API_VERSION=3)

if((QV_BUILD_TESTS OR QV_FUZZ) AND NOT QV_FUZZ)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()
if(QV_BUILD_BENCH AND NOT QV_FUZZ)
  find_package(benchmark REQUIRED)
endif()
