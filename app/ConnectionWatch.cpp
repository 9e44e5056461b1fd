#include "app/ConnectionWatch.h"

void CConnectionWatch::ReadFailed(const CDbConnection& db) {
    const SqlFailure failure = db.ClassifyLastFailure();
    if (m_bLost || failure == SqlFailure::Installation) {
        return;
    }
    m_bLost = true;
    const char* pszWhat = failure == SqlFailure::ConnectionLost ? "Verbindung zur Datenbank unterbrochen"
                                                                : "Warteschlange nicht lesbar";
    CString strText;
    strText.Format("Fehler : %s, neuer Versuch alle 10 Sekunden (SqlCode: %ld, SqlState: %s) %s", pszWhat,
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
