#include "app/ProcessRequest.h"

#include "app/Globals.h"
#include "calc/CShiftCalc.h"

void ProcessRequest(CDbConnection& db, const ParamRecord& request) {
    db.BeginTransaction();
    CShiftCalc calc(db, request, g_log);
    const bool bComplete = calc.getKvtBewData();
    db.EndTransaction(bComplete);
}
