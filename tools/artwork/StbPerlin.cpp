// stb's Perlin noise, compiled once for the panel texture. Third-party code:
// built without the project's warning set.
#define STB_PERLIN_IMPLEMENTATION
#include <stb_perlin.h>
