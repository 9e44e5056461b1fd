// The program's texts are Windows-1252 bytes; the destinations that speak UTF-8 only (the systemd
// journal and the service manager's status line) get them converted here.
#pragma once

#include <string>

#include "base/CString.h"

// Every byte becomes its character in UTF-8. The five bytes that Windows-1252 leaves undefined
// (81, 8D, 8F, 90, 9D) become U+FFFD: as C1 control characters they would make the journal show
// the whole entry as binary data.
std::string Utf8FromCp1252(const CString& strText);
