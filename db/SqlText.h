// How statement texts are made. A text holds identifiers, constants and parameter markers only;
// every value travels as a bound parameter. The one name that is put into texts is the schema of
// the calculation tables, which comes from the command line or the configuration.
#pragma once

#include "base/CString.h"

// True when the schema can stand unquoted in front of a table name: not empty, and no ASCII
// character but letters, digits, '_', '$' and '#'. Anything else (a quote, a blank, a dot, a
// semicolon) could end the identifier and alter the statement.
bool IsPlainIdentifier(const CString& strName);

// The template with every "%s" replaced by the schema, every "%o" by pszOwner (the condition that
// selects the requests of a schema and user) and every "%%" by one '%'.
CString WithSchema(const char* pszTemplate, const CString& strSchema, const char* pszOwner = "");
