// Demo recording: what the player did, frame by frame, written as an input
// script of the headless harness (the lines FwParseInputScript reads), so
// that `gilded_vault_harness --input FILE` replays the same play. The game's
// logic advances one step per frame, so the same input per frame gives the
// same play.
//
// The recorder reads only FwPlatform, once per frame at a fixed point of the
// frame loop: after the platform has processed its events, before the scene
// runs. It sees exactly what the scene is about to see:
//   - the token keys and buttons held (W A S D SPACE R P LMB RMB);
//   - while the cursor is hidden (mouse look), the cursor's movement since
//     the end of the previous frame, after the game's own warp back to the
//     centre: look:DX,DY, which moves the harness cursor by DX,DY in that
//     frame. Motion that arrived between two frames is counted once, in the
//     frame that first sees it;
//   - while the cursor is shown (title, clear menu), its client pixel:
//     mouse:X,Y;
//   - whether the game window is the active one (the game ignores the mouse
//     and title clicks when it is not): unfocused.
// Consecutive identical frames share one line; a scene change ("scene:..."
// trace events) ends the line and adds a "# frame N: scene:..." comment; a
// window that closed (Escape, the close box) ends the script with "1 ESC".
//
// The line of the span in progress is rewritten in place and flushed every
// frame, so the file on disk always covers every frame that has started:
// a crash loses nothing.
#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>

#include "framework/FwTrace.h"
#include "framework/platform/FwPlatform.h"

class FwInputRecorder {
public:
    // Program entry: a recorder that writes nothing until Open succeeds.
    FwInputRecorder();
    // Tests: writes into out (seekable, e.g. a string stream), which must
    // outlive the recorder.
    explicit FwInputRecorder(std::ostream& out);
    // Finishes the recording if the owner did not.
    ~FwInputRecorder();
    FwInputRecorder(const FwInputRecorder&) = delete;
    FwInputRecorder& operator=(const FwInputRecorder&) = delete;

    // Program entry, before Application::Run: creates (or empties) file.
    // False with a reason in error when it cannot be written.
    bool Open(const std::string& file, std::string& error);
    // Program entry, before Start: one '#' comment line (how the run began).
    void WriteComment(const std::string& text);

    // Application::Run, once the first scene has been requested and before
    // the first frame: writes the header, remembers the cursor and starts
    // listening to trace events (in front of any sink already installed).
    void Start();
    // Application frame loop, right after FwPlatform::ProcessMessages: the
    // input of the frame that is about to run. When the window has closed,
    // writes "1 ESC" and records nothing more.
    void RecordFrame();
    // Application frame loop, after the scene ran (and warped the cursor):
    // where the next frame's mouse-look motion is measured from.
    void EndFrame();
    // Trace sink (installed by Start): an event of the frame in progress.
    // Scene changes become comments; other events are ignored.
    void AddEvent(const std::string& event);
    // Application::Run after the loop: stops listening, flushes and closes.
    // Safe to call more than once.
    void Finish();

    // False once a write failed (reported once on standard error).
    bool Good() const { return !failed_; }
    // Frames recorded so far (RecordFrame calls while the window was open).
    uint64_t Frames() const { return frame_; }

private:
    // The current frame's tokens in script order, e.g. "W SPACE look:3,-1".
    std::string FrameTokens() const;
    // (Re)writes the line of the span in progress at its start and flushes.
    void WriteOpenLine();
    // Ends the span in progress: the next frame starts a new line.
    void CloseSpan() { openCount_ = 0; }
    void WriteLine(const std::string& text);
    void CheckStream();

    std::unique_ptr<std::ofstream> file_;
    std::ostream* out_ = nullptr;
    std::string fileName_;
    bool started_ = false;
    bool finished_ = false;
    bool windowClosed_ = false;
    bool failed_ = false;
    FwTraceSink previousSink_;
    // Cursor (screen coordinates) at the end of the previous frame.
    FwPoint lastCursor_;
    uint64_t frame_ = 0;
    std::string openTokens_;
    uint64_t openCount_ = 0;  // 0: no span in progress
    std::streampos openLineStart_;
};
