// What the process needs before anything else runs: its standard descriptors, and the one way
// a refused resource ends it.
#pragma once
#include <system_error>

// The exit status of a process that could not start (a resource refused, no front end).
inline constexpr int kStartFailureStatus = 1;

// Puts /dev/null on each of standard input, output and error that is closed, so that no
// descriptor opened later (the signalfd, the eventfd) takes its number and is read as the
// script or written as the screen. Call it first in main; throws std::system_error when
// /dev/null cannot be opened.
void open_standard_descriptors();

// One line on standard error for a resource that the process cannot run without.
void report_start_failure(const std::system_error& refusal);
