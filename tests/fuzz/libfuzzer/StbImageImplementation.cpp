// The GV_FUZZ build compiles the image decoder and the glTF parser into the
// fuzz executables from their headers, so that they are instrumented like the
// game's code and libFuzzer is guided by their coverage too: the system's
// shared libraries of both (libstb, libtinygltf) are not. Definitions in the
// executable take the place of the shared libraries' at link time. SDL's WAV
// reader has no such source and stays uninstrumented.
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
