// Whether the configuration file can be used at all, asked before anything logs in with it: it is
// readable and not empty, and each value that is needed is there, enciphered and decipherable, and
// DB_SYSTEM names a product. Each finding is one line for the operator, beginning with what follows
// the file's name (" ist leer", ": Eintrag PASS fehlt oder ist leer"), in Windows-1252. A caller
// reports them and ends; nothing here writes.
#pragma once

#include <vector>

#include "base/CString.h"
#include "config/CIniConfig.h"

// bSchemaGiven: the command line names the schema, so SCHEMA may be missing.
std::vector<CString> FindConfigFaults(const CIniConfig& config, bool bSchemaGiven);

// A deciphered value as it may stand in a line for the operator: control characters become '?'.
CString PrintableValue(const CString& strValue);
