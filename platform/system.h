// Process-level services: program folder and arguments, ending the program,
// runtime errors, shared libraries and opening a URL.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace plat {

// Recorded by the process start-up; the program folder is also made the
// working directory.
void InitProcess(int argc, char** argv);
const std::string& ProgramDir();
const std::vector<std::string>& ProgramArgs();
void SetProgramArgs(const std::vector<std::string>& args);  // tests
void SetProgramDir(const std::string& dir);                 // tests

// Ends the program with the code. Tests install a handler (that throws) so
// a whole program body can run inside a test process.
[[noreturn]] void EndProgram(int code);
void SetEndProgramHandler(std::function<void(int)> handler);
// Writes the message to stderr and ends the program with exit code -1.
[[noreturn]] void RuntimeError(const std::string& message);

// Loads a shared library by file name from the program folder (or an
// absolute path); nullptr on failure.
void* LoadLibrary(const std::string& fileName);
void* LibrarySymbol(void* lib, const std::string& name);
void FreeLibrary(void* lib);

// Opens the URL in the user's browser (xdg-open, argument list, no shell).
bool OpenURL(const std::string& url);

}  // namespace plat
