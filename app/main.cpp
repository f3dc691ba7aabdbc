// Program entry of the game: the SDL platform, then the application.
//
// No setlocale here: the C library keeps the "C" locale, so number parsing
// (stage coordinate files, glTF) always reads '.' as the decimal point.
#include "app/Application.h"
#include "framework/platform/FwSdlPlatform.h"

int main(int, char**) {
    FwSdlPlatform platform;
    FwSetPlatform(&platform);
    Application::GetInstance().Run();
    FwSetPlatform(nullptr);
    // Start-up failures were reported in a message box; the exit code is 0
    // either way.
    return 0;
}
