#include "app/ConnectionWatch.h"

void CConnectionWatch::ReadFailed(const CDbConnection& db) {
    if (m_bLost) {
        return;
    }
    m_bLost = true;
    CString strText;
    strText.Format(
        "Fehler : Verbindung zur Datenbank unterbrochen, neuer Versuch alle 10 Sekunden (SqlCode: %ld, "
        "SqlState: %s) %s",
        static_cast<long>(db.GetSqlCode()), db.GetSqlState().GetString(), db.GetSqlMessage().GetString());
    m_log.Write(strText, true, LogLevel::Warning);
}

void CConnectionWatch::ReadSucceeded() {
    if (!m_bLost) {
        return;
    }
    m_bLost = false;
    m_log.Write("Info : Verbindung zur Datenbank wiederhergestellt", true);
}
