// The window front end as a module of its own, loaded only when a window is wanted, so that a
// session in the terminal or a stream maps none of the graphics libraries. It holds no copy of
// the host core: it reaches the program's own through the two interfaces it is given.
#pragma once
#include <string>

class ConsoleDisplay;
class FrontEnd;
class SignalQueue;

// The module's file name. An installed program finds it in this folder, relative to its own
// (bin/ and lib/kelo-basic/ under one prefix, as the install rules put them); in the build
// tree it stands beside the executable.
inline constexpr const char* kWindowModuleName = "kelo-basic-window.so";
inline constexpr const char* kInstalledWindowModuleFolder = "../lib/kelo-basic/";
// The one symbol the module exports.
inline constexpr const char* kWindowModuleEntry = "kelo_open_window_front_end";

// The window front end (owned by the caller) with its window open, or null, with `failure`
// saying why, when no window can be opened. Called on the main thread before the program
// thread starts. `start_up_font` is the file it draws until the program asks for its own.
using OpenWindowFrontEndFunction = FrontEnd* (*)(ConsoleDisplay& console, const std::string& start_up_font,
                                                 SignalQueue* signals, std::string& failure);
