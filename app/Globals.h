// The process-wide objects of the batch program. They are defined in one translation unit so
// that they are constructed in this order before the entry function runs, and destroyed in the
// reverse order after it returns.
#pragma once

#include "base/AppFramework.h"
#include "base/CString.h"
#include "config/CIniConfig.h"
#include "log/CLogFile.h"

extern CAppFramework g_app;
extern CIniConfig g_config;
extern CString g_schema;         // schema part of the USER: argument, upper case
extern CString g_user;           // user part of the USER: argument, upper case
extern CString g_requestNumber;  // request number of the PARM: argument, upper case
extern CLogFile g_log;

extern bool g_singleRequest;  // a PARM: argument was given: process that one request, then end
extern bool g_keepRunning;    // another pass of the run loop follows (app/ServiceRun.cpp)
extern bool g_firstRead;      // no request read successfully yet in the current pass
