/* Linked into every executable of a sanitizer build (GV_SANITIZE=ON) and nowhere else.
 *
 * Mesa unloads its llvmpipe driver (swrast_dri.so and the libdrm libraries it pulls in)
 * when the last EGL display is terminated. The driver's one-time set-up memory is then
 * referenced only from globals that no longer exist, so LeakSanitizer, which checks at
 * exit, reports it as leaked; and because the module is gone, the frames of those
 * reports print as "<unknown module>", which no suppression can match.
 *
 * Making dlclose a no-op keeps every shared library mapped until the process exits, so
 * memory a library still holds counts as reachable and every frame names its module.
 * The executable's definition takes precedence over the C library's for all loaded
 * libraries because it is exported (-Wl,--export-dynamic-symbol=dlclose). */
#include <dlfcn.h>

int dlclose(void* handle)
{
    (void)handle;
    return 0;
}
