// Starts the GUI: connection owner, shared data module, screens, login screen, event loop.
#pragma once

struct CommandLine;

int runShell(int& argc, char** argv, const CommandLine& commandLine);
