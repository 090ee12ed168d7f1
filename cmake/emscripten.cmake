# Toolchain of the web preset: Debian's Emscripten, used directly. (emcmake
# would also make the tests' emulator `node --experimental-wasm-threads`,
# which newer Node.js refuses.) Where Emscripten is missing, the host's
# compiler starts configuring the project, and QUIRVELANDOSTRABIK_WEB_UNAVAILABLE
# says why nothing can be built: the configuration then stops with it.
set(QUIRVELANDOSTRABIK_EMSCRIPTEN_TOOLCHAIN
  /usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
if(EXISTS "${QUIRVELANDOSTRABIK_EMSCRIPTEN_TOOLCHAIN}")
  include("${QUIRVELANDOSTRABIK_EMSCRIPTEN_TOOLCHAIN}")
  # emcc runs its JavaScript optimiser under the first node on the PATH; one
  # that is not Debian's does not find Debian's acorn without this.
  set(CMAKE_CXX_LINKER_LAUNCHER "${CMAKE_COMMAND};-E;env;NODE_PATH=/usr/share/nodejs")
else()
  set(QUIRVELANDOSTRABIK_WEB_UNAVAILABLE
    "emscripten is not installed: run apt-get install emscripten")
endif()
