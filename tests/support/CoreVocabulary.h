// Running Logo in tests with the real primitive library of the interpreter
// core, under the names the program ships.
#pragma once

#include <string>
#include <vector>

#include "LogoCore/Primitives.h"

// Registers the core's primitives under the shipped names (the lines of
// LogoCore.dat whose tokens the core has) and fills the start-up tables
// (output names, object kinds), as the program's start-up does. The stores
// go to a scratch directory. Call it in each test's set-up: other tests
// register their own small vocabulary under some of the same names.
void UseCoreVocabulary();
// The same with the families given (the core's and, say, the box's).
void UseVocabulary(const std::vector<PrimitiveFamily>& families);

// Runs the text in a fresh task on this thread, as a line of the command
// centre runs: what it printed, then the text of the error that ended it,
// if one did. A value left over is shown as "=> text".
std::string RunLogo(const std::string& text);

// The value of a Logo expression as its text, or the error's text (after
// anything it printed).
std::string EvalLogo(const std::string& expression);
