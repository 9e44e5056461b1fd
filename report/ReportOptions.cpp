#include "report/ReportOptions.h"

#include <cstdlib>
#include <cstring>

#include <initializer_list>
#include <utility>

#include "base/FileProbe.h"
#include "db/SqlText.h"
#include "report/CTextConverter.h"

namespace {

const int kPrefixLength = 5;
const int kMaxPnrLength = 8;  // the calculation's personnel number field

const char* const kUsage =
    "kvt-report - Schichtfreizeit erkl\xE4ren, veraltete Ergebnisse finden\n"
    "Aufruf: kvt-report IniDatei USER:Schema#Benutzer [Optionen] PNR... | --all\n"
    "  PNR...        das Abrechnungsjahr jeder Person Monat f\xFCr Monat, wie kvt es jetzt berechnet\n"
    "  --days        Tag f\xFCr Tag statt Monat f\xFCr Monat\n"
    "  --year JJJJ   das Abrechnungsjahr, das in JJJJ beginnt (ohne: das Jahr, in dem heute liegt)\n"
    "  --check       gespeicherte Ergebnisse mit einer Neuberechnung vergleichen: ohne --year jedes\n"
    "                Abrechnungsjahr mit gespeicherten Tageszeilen ab dem Vorjahr und das laufende\n"
    "  --since JJJJ  mit --check: erst die Abrechnungsjahre, die ab JJJJ beginnen\n"
    "  --missing     mit --check: auch Jahre und Tage ohne gespeicherte Ergebnisse melden\n"
    "  --all         mit --check: alle Personen des Schemas\n"
    "  --queue       mit --check: f\xFCr jede abweichende Person einen Berechnungsauftrag einstellen\n"
    "  --postings    f\xFCr eine Person: die Schichten und Buchungen hinter den Zahlen\n"
    "  --csv         CSV (UTF-8, Komma, Dezimalpunkt) statt Tabellen\n"
    "  --csv=excel   CSV f\xFCr Tabellenprogramme (Semikolon, Dezimalkomma, UTF-8 mit BOM)\n"
    "  --svg DATEI   f\xFCr eine Person: Verlauf von Rest und Anspruch als SVG\n"
    "  --html DATEI  f\xFCr eine Person: eine druckbare Seite mit Kopf, Monaten, Buchungen und Verlauf\n"
    "  --help, --version  diese Hilfe, die Version\n"
    "Exitcode: 0 ohne Abweichung, 1 Abweichungen gefunden, 2 Aufruf, 3 Verbindung, 4 Datenbankfehler,\n"
    "5 Ausgabe nicht geschrieben";

bool Fail(CString* pstrError, const CString& strText) {
    *pstrError = strText;
    return false;
}

// The first of the options that is given, or nullptr.
const char* FirstGiven(std::initializer_list<std::pair<bool, const char*>> options) {
    for (const auto& [bGiven, pszName] : options) {
        if (bGiven) {
            return pszName;
        }
    }
    return nullptr;
}

// An option with a file name after it.
bool ParseFile(const char* pszOption, int argc, const char* const argv[], int* pnIndex, CString* pstrPath,
               CString* pstrError) {
    if (*pnIndex + 1 >= argc || *argv[*pnIndex + 1] == '\0') {
        return Fail(pstrError, CString(pszOption) + " braucht einen Dateinamen.");
    }
    *pstrPath = argv[++*pnIndex];
    return true;
}

// "USER:Schema#Benutzer", upper-cased as a whole before it is split, as kvt reads it.
bool ParseUser(const char* pszArgument, ReportOptions* pOptions) {
    CString strUser(pszArgument);
    strUser.MakeUpper();
    const int nHash = strUser.Find('#');
    if (!(strUser.Left(kPrefixLength) == "USER:") || nHash < 0) {
        return false;
    }
    pOptions->strSchema = strUser.Left(nHash).Mid(kPrefixLength);
    pOptions->strUser = strUser.Mid(nHash + 1);
    return IsPlainIdentifier(pOptions->strSchema);
}

bool ParseYear(const char* pszYear, int32_t* pnYear) {
    char* pszEnd = nullptr;
    const long nYear = std::strtol(pszYear, &pszEnd, 10);
    if (std::strlen(pszYear) != 4 || *pszEnd != '\0' || nYear <= 1900 || nYear > 9998) {
        return false;
    }
    *pnYear = static_cast<int32_t>(nYear);
    return true;
}

// The options and persons after the first two arguments.
bool ParseRest(int argc, const char* const argv[], ReportOptions* pOptions, CString* pstrError) {
    for (int i = 3; i < argc; ++i) {
        const char* pszArgument = argv[i];
        const bool bYear = std::strcmp(pszArgument, "--year") == 0;
        if (bYear || std::strcmp(pszArgument, "--since") == 0) {
            if (i + 1 >= argc || !ParseYear(argv[++i], bYear ? &pOptions->nYear : &pOptions->nSince)) {
                return Fail(pstrError, CString(pszArgument) + " braucht ein Jahr JJJJ nach 1900.");
            }
        } else if (std::strcmp(pszArgument, "--svg") == 0) {
            if (!ParseFile(pszArgument, argc, argv, &i, &pOptions->strSvgPath, pstrError)) {
                return false;
            }
        } else if (std::strcmp(pszArgument, "--html") == 0) {
            if (!ParseFile(pszArgument, argc, argv, &i, &pOptions->strHtmlPath, pstrError)) {
                return false;
            }
        } else if (std::strcmp(pszArgument, "--days") == 0) {
            pOptions->bDays = true;
        } else if (std::strcmp(pszArgument, "--check") == 0) {
            pOptions->bCheck = true;
        } else if (std::strcmp(pszArgument, "--missing") == 0) {
            pOptions->bMissing = true;
        } else if (std::strcmp(pszArgument, "--queue") == 0) {
            pOptions->bQueue = true;
        } else if (std::strcmp(pszArgument, "--all") == 0) {
            pOptions->bAll = true;
        } else if (std::strcmp(pszArgument, "--postings") == 0) {
            pOptions->bPostings = true;
        } else if (std::strcmp(pszArgument, "--csv") == 0) {
            pOptions->csv = CsvStyle::Rfc4180;
        } else if (std::strcmp(pszArgument, "--csv=excel") == 0) {
            pOptions->csv = CsvStyle::Excel;
        } else if (std::strncmp(pszArgument, "--", 2) == 0) {
            return Fail(pstrError, "Unbekannte Option " + CString(pszArgument) + ".");
        } else {
            const CString strPnr = Cp1252FromTerminal(pszArgument);
            if (strPnr.IsEmpty() || strPnr.GetLength() > kMaxPnrLength) {
                return Fail(pstrError, "Eine Personalnummer hat 1 bis 8 Zeichen.");
            }
            pOptions->persons.push_back(strPnr);
        }
    }
    return true;
}

bool CheckCombination(const ReportOptions& options, CString* pstrError) {
    if (!options.bAll && options.persons.empty()) {
        return Fail(pstrError,
                    options.bCheck ? "Personalnummern oder --all angeben." : "Personalnummern angeben.");
    }
    if (options.bAll && !options.persons.empty()) {
        return Fail(pstrError, "Personalnummern oder --all angeben, nicht beides.");
    }
    const bool bSvg = !options.strSvgPath.IsEmpty();
    const bool bHtml = !options.strHtmlPath.IsEmpty();
    const char* pszOption = FirstGiven({{options.bAll, "--all"},
                                        {options.bQueue, "--queue"},
                                        {options.nSince != 0, "--since"},
                                        {options.bMissing, "--missing"}});
    if (pszOption != nullptr && !options.bCheck) {
        return Fail(pstrError, CString(pszOption) + " gilt nur mit --check.");
    }
    pszOption = FirstGiven({{options.nSince != 0, "--since"}, {options.bMissing, "--missing"}});
    if (pszOption != nullptr && options.nYear != 0) {
        return Fail(pstrError, CString(pszOption) + " gilt nicht mit --year.");
    }
    pszOption = FirstGiven(
        {{options.bDays, "--days"}, {bSvg, "--svg"}, {bHtml, "--html"}, {options.bPostings, "--postings"}});
    if (pszOption != nullptr && options.bCheck) {
        return Fail(pstrError, CString(pszOption) + " gilt nicht mit --check.");
    }
    pszOption = FirstGiven({{bSvg, "--svg"}, {bHtml, "--html"}, {options.bPostings, "--postings"}});
    if (pszOption != nullptr && options.persons.size() != 1) {
        return Fail(pstrError, CString(pszOption) + " gilt f\xFCr genau eine Personalnummer.");
    }
    return true;
}

}  // namespace

bool ParseReportOptions(int argc, const char* const argv[], ReportOptions* pOptions, CString* pstrError) {
    if (argc < 3) {
        return Fail(pstrError, "Zu wenige Argumente.");
    }
    pOptions->strIniFile = argv[1];
    if (!FileExists(argv[1])) {
        return Fail(pstrError, "Die Konfigurationsdatei gibt es nicht.");
    }
    if (!ParseUser(argv[2], pOptions)) {
        return Fail(pstrError,
                    "Das zweite Argument hat die Form USER:Schema#Benutzer mit einem einfachen Schemanamen.");
    }
    return ParseRest(argc, argv, pOptions, pstrError) && CheckCombination(*pOptions, pstrError);
}

const char* ReportUsage() {
    return kUsage;
}
