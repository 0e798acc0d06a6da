// The window front end as a module of its own, loaded only when a window is wanted, so that a
// session in the terminal or a stream maps none of the graphics libraries.
#pragma once

class Console;
class FrontEnd;
class SignalEvents;

// The module's file name. An installed program finds it in this folder, relative to its own
// (bin/ and lib/kelo-basic/ under one prefix, as the install rules put them); in the build
// tree it stands beside the executable.
inline constexpr const char* kWindowModuleName = "kelo-basic-window.so";
inline constexpr const char* kInstalledWindowModuleFolder = "../lib/kelo-basic/";
// The one symbol the module exports.
inline constexpr const char* kWindowModuleEntry = "kelo_open_window_front_end";

// The window front end (owned by the caller), or null when no X display can be opened.
using OpenWindowFrontEndFunction = FrontEnd* (*)(Console& console, SignalEvents* signals);
