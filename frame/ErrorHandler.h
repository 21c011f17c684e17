// The program's error-handler box, the one report of an error that stopped a command or a
// database procedure: titled "Vellicor", "Vellicor error handler:", a line break, then
// "Position: " with ErrorPosition (the database step that ran), "  Error: " with the error's
// number, three blanks and its description.
#pragma once

#include <exception>
#include <string>

namespace vel {

// The number shown for an error: the engine's code for a database error of the engine, else
// the classic run-time numbers (9 subscript, 6 overflow, 11 division by zero, 75 file access,
// 94 a missing value, 7 out of memory, 5 any other).
int ErrorNumberOf(const std::exception& error);

// The box's text for the error.
std::string ErrorHandlerText(const std::exception& error);

// Shows the box (through the door: logged and answered OK while unattended).
void ShowErrorHandler(const std::exception& error);

// How many errors the box has reported so far at the events depth in force now (EventsDepth of
// Hooks.h). Code whose commands stop their errors at barriers of their own (a step of an
// unattended run) learns from a change of the count that one of its commands failed; an error of
// a command that the window's events ran meanwhile, a user's click while the code yielded, is
// counted deeper and does not change it.
long ErrorHandlerReportsHere();

}  // namespace vel
