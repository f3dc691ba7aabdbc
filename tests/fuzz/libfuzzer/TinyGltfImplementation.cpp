// The glTF parser's implementation for the fuzz executables (see
// StbImageImplementation.cpp); in a file of its own because it includes the
// image decoder's header again, whose implementation may appear only once.
#define TINYGLTF_IMPLEMENTATION
#include <tiny_gltf.h>
