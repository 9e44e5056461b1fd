#include "app/CommandLine.h"

#include <cstdio>
#include <cstring>

#include "app/Globals.h"
#include "base/FileProbe.h"

namespace {

const int kPrefixLength = 5;

}  // namespace

bool ParseCommandLine(int argc, const char* const argv[]) {
    if (argc < 3) {
        return false;
    }

    // The whole argument is upper-cased before it is split, so schema and user are stored in
    // upper case; the request queries compare them with the upper-cased table columns.
    CString strUser(argv[2]);
    strUser.MakeUpper();
    if (!(strUser.Left(kPrefixLength) == "USER:")) {
        return false;
    }
    strUser.Delete(0, kPrefixLength);
    const int nHash = strUser.Find('#');
    if (nHash < 0) {
        return false;
    }
    g_schema = strUser.Left(nHash);
    strUser.Delete(0, nHash + 1);
    g_user = strUser;

    if (argc >= 4) {
        CString strParm(argv[3]);
        strParm.MakeUpper();
        if (strParm.Left(kPrefixLength) == "PARM:") {
            strParm.Delete(0, kPrefixLength);
            g_requestNumber = strParm;
            g_singleRequest = true;
        }
    }

    return g_config.SetIniFile(CString(argv[1]));
}

bool IsRefusedForTheConfigFile(int argc, const char* const argv[]) {
    if (argc < 3) {
        return false;
    }
    CString strUser(argv[2]);
    strUser.MakeUpper();
    return strUser.Left(kPrefixLength) == "USER:" && strUser.Find('#', kPrefixLength) >= 0 &&
           !FileExists(argv[1]);
}

void PrintUsage() {
    std::fputs("Kvt - Berechnung der Schichtfreizeit\n"
               "Aufruf: Kvt IniDatei USER:Schema#Benutzer <PARM:nnnnn>\n"
               "\n",
               stdout);
}

bool PrintInfoIfAsked(int argc, const char* const argv[]) {
    if (argc != 2) {
        return false;
    }
    if (std::strcmp(argv[1], "--help") == 0) {
        PrintUsage();
        std::fputs("Exitcodes:\n"
                   "  0  Lauf beendet: der Auftrag von PARM: ist erledigt, oder kvt wurde gestoppt\n"
                   "  1  Plattform nicht gestartet\n"
                   "  2  Aufruf oder Konfigurationsdatei unbrauchbar (keine Anmeldung versucht)\n"
                   "  3  Datenbank beim Start nicht erreichbar\n"
                   "  4  nur PARM: der Auftrag ist noch in der Warteschlange\n"
                   "  5  die Datenbank passt nicht zur Konfiguration; kein Auftrag wurde ver\xE4ndert\n",
                   stdout);
        return true;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::fputs("kvt " KVT_VERSION "\n", stdout);
        return true;
    }
    return false;
}
