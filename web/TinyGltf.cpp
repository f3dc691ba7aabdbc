// tinygltf's own code for the web build (see ThirdParty.cpp).
#define TINYGLTF_IMPLEMENTATION
#include <tiny_gltf.h>
