/* Debian's stb_vorbis (libstb-dev) compiled once, from where the package installs it; the
   rest of the sound layer includes it with STB_VORBIS_HEADER_ONLY. */
#include <stb/stb_vorbis.h>
