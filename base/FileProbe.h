// File-system probe used to check that the configuration file exists before the run starts.
#pragma once

// True when the path names an existing directory entry (a file, or anything else stat finds).
bool FileExists(const char* pszPath);
