// "kvt-crypt write": asks for the five values of a configuration file and writes the whole file,
// readable by its owner alone or by the group of the service that reads it, and never over an
// existing file unless told to; or writes it to standard output, for a program that stores it
// elsewhere (systemd-creds encrypt). Everything that can be refused without the values is refused
// before they are asked for, and nothing is written when the input ends early.
#pragma once

// The command line of "write" after the command: the file, whether an existing one may be
// replaced, and the group that may read it.
struct WriteOptions {
    const char* pszPath = nullptr;
    bool bForce = false;
    const char* pszGroup = nullptr;
};

// "kvt-crypt write [--force] [--group GRUPPE] DATEI" or "kvt-crypt write -" as main receives it
// (argv[1] is "write"), the options in any order before the file; false for anything else.
bool ParseWriteOptions(int argc, char** argv, WriteOptions& options);
// True when the file was written; every refusal and failure is reported on standard error.
bool RunWrite(const WriteOptions& options);
