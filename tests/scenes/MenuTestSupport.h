// Shared set-up of the clear-scene and menu tests: the cursor sound exists
// (so hover sounds show up as trace events) and the cursor is placed in
// sprite coordinates (origin at the screen centre, y up).
#pragma once

#include <filesystem>

#include "tests/scenes/SceneTestSupport.h"

class MenuTest : public SceneTest {
protected:
    // The scene environment writes only the music and the confirm sound; the
    // cursor sound gets the confirm sound's data. The resource factory keeps
    // a sound that failed to load as silent for good, so this must happen
    // before any menu is built.
    static void SetUpTestSuite() {
        namespace fs = std::filesystem;
        const fs::path sounds = fs::path("Data") / "Sound";
        if (!fs::exists(sounds / "Cursor.wav")) fs::copy_file(sounds / "Determination.wav", sounds / "Cursor.wav");
    }

    // Puts the cursor at (x, y) in sprite coordinates. The fake platform's
    // screen and client coordinates coincide.
    void PointAt(int x, int y) { platform_.cursor = FwPoint{640 + x, 360 - y}; }

    int HoverSounds() const { return CountEvents("sound:play:Cursor.wav"); }
    int DecideSounds() const { return CountEvents("sound:play:Determination.wav"); }
};
