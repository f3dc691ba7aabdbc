// Where the game's content lives: the folder that holds Model/, Texture/,
// Sound/ and CoordinateFile/ (the repository's Data/, or the installed copy).
//
// Every content path is built by Path(relative). The default is "Data/",
// relative to the working directory, so development runs and the tests read
// exactly the paths they always did. The program entries (game and harness)
// call Locate once at start-up, before Application::Run, to pick the folder:
// the working directory's Data/ first, then Data/ beside the executable, then
// the installed folder, or only the folder named on the command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

class FwDataRoot {
public:
    // The folder looked for in the working directory and beside the executable.
    static constexpr const char* kDefault = "Data/";

    // Program entries (through Locate) and tests: the content folder from now
    // on; a missing trailing '/' is added, "" restores the default.
    static void Set(std::string folder);
    // Resource factory, stage file reader: the content folder, ending in '/'.
    static const std::string& Get();
    // Resource factory, stage file reader: Get() + relative.
    static std::string Path(const std::string& relative);

    // Locate: the folders to try, in order: "Data/" (the working directory),
    // exeDir/Data/, exeDir/installedFromBin/ (an installed tree moved as a
    // whole, e.g. "../share/gilded-vault") and installedDir (where the build
    // was configured to install). Empty inputs leave their entry out; a folder
    // named twice is tried once.
    static std::vector<std::string> Candidates(const std::string& exeDir, const std::string& installedFromBin,
                                               const std::string& installedDir);
    // Locate: whether folder holds content (the subfolders Model, Texture,
    // Sound and CoordinateFile). An unrelated folder that happens to be called
    // Data is not taken for it.
    static bool HoldsContent(const std::string& folder);
    // Locate: the first candidate that holds content.
    static std::optional<std::string> FirstWithContent(const std::vector<std::string>& candidates);
    // Program entries, when Locate failed: the text of the message box, naming
    // every folder tried (relative ones made absolute).
    static std::string MissingMessage(const std::vector<std::string>& tried);
    // Locate: the folder of the running executable; empty when unknown.
    static std::string ExecutableDir();

    // Program entries, once at start-up. requested is the --data folder (empty
    // when not given): then only it is tried. Otherwise the candidates of this
    // executable and of the install location compiled into the build are
    // tried. On success the root is Set and true returned; otherwise the root
    // is unchanged and tried lists the folders looked at.
    static bool Locate(const std::string& requested, std::vector<std::string>& tried);
};
