#include "app/Globals.h"

CAppFramework g_app;
CIniConfig g_config;
CString g_schema;
CString g_user;
CString g_requestNumber;
CLogFile g_log;

bool g_singleRequest = false;
bool g_keepRunning = true;
bool g_firstRead = true;
