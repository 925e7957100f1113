// Runs the program's wide entry point wmain with the command line of main.
#pragma once

int wmain(int argc, wchar_t** argv);

int callWmain(int argc, char** argv);
