// Every fixed pause of the link to AutoCAD and of the runs that drive it,
// in milliseconds. AutoCAD gives no sign that it has taken a typed text, so
// these pauses are what keeps the program from typing ahead of it.
#pragma once
#include <cstdint>

namespace acadlink::timing {

// Typing (SendCommand): AutoCAD reads the copied bytes, then the posted
// null message wakes its command loop.
inline constexpr int kAfterCopyDataMs = 30;
inline constexpr int kAfterWakeMs = 30;
// Before the prompt line is read for a test of what it shows.
inline constexpr int kBeforePromptTestMs = 50;
// Paced typing: the step between two looks at the prompt line while an
// answer is awaited.
inline constexpr int kPacedPollMs = 5;
// While a value question of GETVAR/SETVAR is awaited: poll step and count.
inline constexpr int kValuePromptPollMs = 10;
inline constexpr int kValuePromptPolls = 301;

// Starting AutoCAD: the step between looks for its new windows.
inline constexpr int kStartPollMs = 100;
// The start helper (TfGrebe) is given this long to do its work.
inline constexpr int kAfterStartHelperMs = 100;
// A helper program started for the run: its idle-wait step, then the time
// its window is given to appear.
inline constexpr int kHelperIdlePollMs = 50;
inline constexpr int kAfterHelperIdleMs = 500;

// AutoCAD's own dialogs: the time one is given to be ready for a click.
inline constexpr int kBeforeButtonPressMs = 300;
// After "quit": the time AutoCAD takes to ask whether to save.
inline constexpr int kAfterQuitCommandMs = 300;
// An AutoCAD whose process is ended: the longest wait for it to be gone.
inline constexpr int kEndProcessWaitMs = 10000;
// After AutoCAD has been told to quit, before anything else is done with it.
inline constexpr int kAfterQuitAutoCADMs = 1500;

// The text window's history on the clipboard: the copy, then the read.
inline constexpr int kClipboardMs = 100;

// Plot run: before the first look at AutoCAD, so that a click's own
// messages have settled.
inline constexpr int kRunStartMs = 500;
// The poll step of the wait for the PDF/DWF helper's answer.
inline constexpr int kHelperAnswerPollMs = 10;
// Once a run has been halted, the ending gives AutoCAD only this long to
// return to its prompt before it stops typing the settings back.
inline constexpr std::int64_t kEndingWaitAfterHaltMs = 10000;

}  // namespace acadlink::timing
