#include "report/ExplanationHead.h"

#include "base/FieldText.h"
#include "report/ReportFormat.h"

namespace {

CString YearLine(const PersonYear& year) {
    CString strLine;
    if (year.nPeriodStart == 0) {
        strLine.Format("Schichtfreizeit Personalnummer %s: Berechnungsjahr %d, keine Vertragszeile\n",
                       year.strPnr.GetString(), year.nCalcYear);
    } else {
        strLine.Format("Schichtfreizeit Personalnummer %s: Abrechnungsjahr %s bis %s, Berechnungsjahr %d\n",
                       year.strPnr.GetString(), FormatGermanDate(year.nPeriodStart).GetString(),
                       FormatGermanDate(year.nPeriodEnd).GetString(), year.nCalcYear);
    }
    return strLine;
}

CString ContractLines(const ContractRecord& contract) {
    CString strSteps;
    if (contract.kvtTkt == 0) {
        strSteps = "nur ganze Tage (KVTTKT 0)";
    } else {
        strSteps.Format("Teiltage in Schritten von %d Anteilen (KVTTKT)", contract.kvtTkt);
    }
    CString strLines;
    strLines.Format(
        "  %s bis %s, Regel %s:\n"
        "      %d Anteile je freier Tag (KVTANZ), %s,\n"
        "      h\xF6"
        "chstens %d Anteile im Jahr (KVTMAX), Vortrag nutzbar bis Ende Monat %d (KVTVMO),\n"
        "      Abrechnungsjahr endet mit Monat %d (KVTJMO)\n",
        FormatGermanDate(contract.validFrom).GetString(), FormatGermanDate(contract.validTo).GetString(),
        FieldText(contract.ruleCode, sizeof(contract.ruleCode)).GetString(), contract.kvtAnz,
        strSteps.GetString(), contract.kvtMax, contract.kvtVmo, contract.kvtJmo);
    return strLines;
}

CString CarryOverLines(const PersonYear& year, const ExplainedYear& explained) {
    CString strLines;
    if (year.bCarryOver) {
        strLines.Format(
            "Vortrag aus dem Vorjahr (ZTW332SFV %d): %s Tage, %s Anteile; %d Anteile zum Jahresbeginn "
            "(SFVZUS)\n",
            year.nCalcYear, FormatNumber(year.dCarryDays).GetString(),
            FormatNumber(year.dCarryShares).GetString(), year.nYearStartShares);
    } else {
        strLines.Format("Kein Vortrag aus dem Vorjahr (keine Zeile in ZTW332SFV f\xFCr %d)\n",
                        year.nCalcYear);
    }
    CString strDeadline;
    if (explained.nDeadline <= year.nPeriodStart) {
        strDeadline.Format(
            "Frist des Vortrags: %s, vor Beginn des Abrechnungsjahres; Vortragstage z\xE4hlen nicht\n",
            FormatGermanDate(explained.nDeadline).GetString());
    } else {
        strDeadline.Format(
            "Frist des Vortrags: ab %s z\xE4hlt vom Vortrag nur, was bis dahin genommen war "
            "(verfallen: %s Tage)\n",
            FormatGermanDate(explained.nDeadline).GetString(), FormatNumber(explained.dExpired).GetString());
    }
    return strLines + strDeadline;
}

CString NextYearLine(const PersonYear& year) {
    CString strLine;
    for (const ResultRow& row : year.computed.years) {
        if (row.key == year.nCalcYear + 1) {
            strLine.Format("Vortrag ins Folgejahr (ZTW332SFV %d): Rest %s Tage, %s Anteile\n", row.key,
                           FormatNumber(row.values[kSfvVtg]).GetString(),
                           FormatNumber(row.values[kSfvVan]).GetString());
            return strLine;
        }
    }
    strLine.Format("Kein Vortrag ins Folgejahr (ZTW332SFV %d)\n", year.nCalcYear + 1);
    return strLine;
}

}  // namespace

CString FormatExplanationHead(const PersonYear& year, const ExplainedYear& explained) {
    CString strHead = YearLine(year);
    CString strContracts;
    for (const ContractRecord& contract : year.contracts) {
        if (contract.validFrom != 0) {
            strContracts += ContractLines(contract);
        }
    }
    if (strContracts.IsEmpty()) {
        return strHead +
               "Keine Vertragszeile im Abrechnungsjahr: die Berechnung schreibt keine Tageszeilen.\n" +
               NextYearLine(year);
    }
    return strHead + "Vertragszeilen im Abrechnungsjahr:\n" + strContracts + CarryOverLines(year, explained) +
           NextYearLine(year);
}
