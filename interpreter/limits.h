// The interpreter's sizes, cells and token codes, each named once.
#pragma once
#include <cstdint>

// The program store: slot 26 holds the line typed at the prompt, slots 27 to 325 the program.
inline constexpr int kImmediateSlot = 26;
inline constexpr int kFirstProgramSlot = 27;
inline constexpr int kLastProgramSlot = 325;
inline constexpr int kSlotCount = kLastProgramSlot + 1;
inline constexpr int kProgramLines = kLastProgramSlot - kFirstProgramSlot + 1;
static_assert(kFirstProgramSlot == kImmediateSlot + 1 && kProgramLines == 299);

// int_cells, region by region: the variables A to Z, the value stack, the GOSUB return stack.
inline constexpr int kVariableA = 27;                        // "a" is cell 27, "z" cell 52
inline constexpr int kVariables = 26;
inline constexpr int kLetterToCell = 'a' - kVariableA;      // a letter's cell: its lower-case code - 70
inline constexpr int kArrayMarker = '@' - kLetterToCell;    // -6: the index of every word that begins with "@"
inline constexpr int kValueBase = kVariableA + kVariables;  // 53, set to 0 by each evaluation
inline constexpr int kValueTop = 82;                        // the value stack's last cell
inline constexpr int kValueCapacity = kValueTop - kValueBase;  // 29 values, cells 54 to 82
inline constexpr int kGosubBase = kValueTop + 1;            // 83: gosub_top when no return is pending
inline constexpr int kGosubEntries = 30;
inline constexpr int kIntCells = kGosubBase + kGosubEntries;  // 113; gosub_top of 113 means full
static_assert(kLetterToCell == 70 && kArrayMarker == -6 && kValueBase == 53 && kGosubBase == 83);
static_assert(kValueCapacity == 29 && kIntCells == 113);

// byte_memory: cells of 16 bits; @(i) is the pair of cells 2i (low part) and 2i+1 (high part).
inline constexpr int kMemoryCells = 16384;
inline constexpr int kArrayElements = kMemoryCells / 2;  // @(0) to @(8191)
inline constexpr int kByteValues = 256;                  // POKE keeps a value modulo this

// The text screen as VPEEK and VPOKE address it: 80 x 25 character/attribute pairs.
inline constexpr int kScreenMemoryBytes = 80 * 25 * 2;   // offsets 0 to 3999
inline constexpr int kVideoModeOffset = 0x449;           // the video-mode byte, in segment 0
inline constexpr int kMonochromeMode = 7;
inline constexpr int16_t kMonochromeSegment = -20480;    // &HB000 as a 16-bit value
inline constexpr int16_t kColourSegment = -18432;        // &HB800

// The FOR stack: rows 1 to 4 of frames 1 to 30; row 0 and frame 0 are never used.
enum ForRow { kForVariable = 1, kForLimit = 2, kForStep = 3, kForResumeSlot = 4 };
inline constexpr int kForRows = kForResumeSlot + 1;
inline constexpr int kForFrames = 30;

// Function tokens: the characters that stand after a function's ")" while its line is read.
// ORDER MATTERS: ApplyFunctionToken tests them in this order.
inline constexpr int kTokenAbs = 177;
inline constexpr int kTokenRnd = 178;
inline constexpr int kTokenSgn = 179;
inline constexpr int kTokenPeek = 180;
inline constexpr int kTokenArray = 181;
inline constexpr int kTokenVpeek = 182;
inline constexpr int kFirstToken = kTokenAbs;
inline constexpr int kLastToken = kTokenVpeek;
inline constexpr int kFunctionNesting = 20;  // functions open at once while a line is rewritten (fn_nesting 1..20)

inline constexpr int kPokeArguments = 10;    // poke_args 1..10; an 11th is host error 9

// Far above what a typed line can nest, far below what the C++ stack holds: the program
// thread's stack (kProgramStackBytes in platform/core/limits.h) is sized for it.
inline constexpr int kMaxParenDepth = 1000;

inline constexpr char kQuoteChar = '"';
inline constexpr char kBreakChar = 3;        // Ctrl+C
inline constexpr int kFontHeight = 20;       // the console font, in pixels
inline constexpr int kListPauseEvery = 20;   // LIST ... PAUSE waits after this many lines
inline constexpr int16_t kLargestLineNumber = 32767;  // LIST's open upper bound
inline constexpr int16_t kSizeValue = -1;    // SIZE: 65535 read as 16 bits
