// CRequestQueue: the calculation requests that kvt-report queues for kvt, one for each person
// whose stored results differ, each inserted and committed in a transaction of its own. They are
// written as the requesting programs write theirs (type 5, the schema and user of the USER:
// argument, the person, a date in the accounting year, the time of queueing), so that a kvt
// serving that schema and user takes them up.
//
// Numbering: the requesting programs number their requests with digits. kvt-report's request
// number is "R" and the ten digits of the Unix time of its first request in the run, and its
// running number counts the requests of the run from 1; where a number is taken already (two runs
// in one second), the next second's number is used. kvt takes requests in the order of their
// numbers, so these come after the waiting requests of the requesting programs.
//
// The connection is borrowed for the life of the object. Not for use from more than one thread.
#pragma once

#include <cstdint>
#include <ctime>

#include "base/CString.h"
#include "db/CDbConnection.h"

class CRequestQueue {
public:
    CRequestQueue(CDbConnection& db, CString strSchema, CString strUser);
    virtual ~CRequestQueue() = default;
    CRequestQueue(const CRequestQueue&) = delete;
    CRequestQueue& operator=(const CRequestQueue&) = delete;

    // Queues and commits the request for the person and the date; *pstrName is its number and
    // running number ("R1765262070/1"). 0, or the failing statement's code with its diagnostics
    // in the connection (nothing of the request is then stored).
    int32_t Queue(const CString& strPnr, int32_t nDate, CString* pstrName);

private:
    CDbConnection& m_db;
    CString m_strSchema;
    CString m_strUser;
    time_t m_nStamp = 0;  // the seconds of the request number; 0 until the first request
    int32_t m_nRunning = 0;
};
