// How values enter statement texts. Every statement is sent as one complete text, so a value
// must never be able to end its quotes or its identifier early and change what the statement does.
#pragma once

#include "base/CString.h"
#include "db/SqlDialect.h"

// The value as it must stand between the single quotes of a statement so that the server reads
// it verbatim: quotes doubled, and for MYSQL, whose servers treat the backslash as an escape
// character, backslashes doubled as well.
CString SqlQuoted(const CString& strValue, SqlDialect dialect);

// True when the schema can stand unquoted in front of a table name: not empty, and no ASCII
// character but letters, digits, '_', '$' and '#'. Anything else (a quote, a blank, a dot, a
// semicolon) could end the identifier and alter the statement.
bool IsPlainIdentifier(const CString& strName);
