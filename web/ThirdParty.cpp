// The web build links no system libraries: the header-only libraries' own
// code (Debian ships it compiled for the desktop build) is compiled here and
// in TinyGltf.cpp (one implementation a file: stb's headers are not
// guarded against a second inclusion with the implementation switched on).
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image.h>
#include <stb_image_write.h>
