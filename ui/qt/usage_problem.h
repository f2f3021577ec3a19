// A command line the window cannot take, said where the user will see it.
#pragma once

#include <QString>
#include <string>

// Says `problem` and the usage on standard error; where standard error is
// no terminal (started from a desktop) and there is a display, also in a
// message box. Gives the exit status: 2.
int SayUsageProblem(const std::string& problem, const std::string& usage, char** argv);

// The message box of a command line the window cannot take; returns once it
// is closed. Needs an application object.
void ShowUsageProblem(const QString& problem);
