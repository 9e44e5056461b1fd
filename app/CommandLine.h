// The command line of the batch program: the configuration file, USER:Schema#Benutzer and
// optionally PARM:nnnnn. Parsing fills the process-wide texts of app/Globals.h and has g_config
// remember the configuration file.
#pragma once

// True when the arguments are valid and the configuration file exists.
bool ParseCommandLine(int argc, const char* const argv[]);
// True when ParseCommandLine refuses the arguments for the configuration file alone.
bool IsRefusedForTheConfigFile(int argc, const char* const argv[]);
// Writes the usage text to standard output.
void PrintUsage();
// "kvt --help" and "kvt --version": prints the usage text or the version on standard output and
// returns true; false for any other command line.
bool PrintInfoIfAsked(int argc, const char* const argv[]);
