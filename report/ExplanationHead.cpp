#include "report/ExplanationHead.h"

#include <algorithm>
#include <utility>

#include "base/FieldText.h"
#include "calc/DateAdd.h"
#include "calc/ShiftDay.h"
#include "report/ReportFormat.h"

namespace {

constexpr int kLineWidth = 100;
const char* const kIndent = "    ";

// Builds the entries of one head; the numbers with the decimals it was made with.
class CHead {
public:
    CHead(const PersonYear& year, const ExplainedYear& explained, int nDecimals)
        : m_year(year), m_explained(explained), m_nDecimals(nDecimals) {}

    std::vector<HeadEntry> Build() {
        Year();
        Contracts();
        CarryOverLines();
        Redivisions();
        NextYear();
        return std::move(m_entries);
    }

private:
    CString Number(double dValue) const { return FormatNumber(dValue, m_nDecimals); }
    const ContractRecord& Rule(size_t nRange) const { return *m_explained.ranges[nRange].pContract; }
    CString RuleCode(size_t nRange) const {
        return FieldText(Rule(nRange).ruleCode, sizeof(Rule(nRange).ruleCode));
    }
    void Add(const char* pszLabel, const CString& strText) { m_entries.push_back({pszLabel, strText}); }

    void Year() {
        CString strLabel;
        strLabel.Format("Schichtfreizeit Personalnummer %s", m_year.strPnr.GetString());
        CString strText;
        if (m_year.nPeriodStart == 0) {
            strText.Format("Berechnungsjahr %d, keine Vertragszeile", m_year.nCalcYear);
        } else {
            strText.Format("Abrechnungsjahr %s bis %s, Berechnungsjahr %d",
                           FormatGermanDate(m_year.nPeriodStart).GetString(),
                           FormatGermanDate(m_year.nPeriodEnd).GetString(), m_year.nCalcYear);
        }
        m_entries.push_back({strLabel, strText});
        if (!m_year.bListed) {
            Add("Personalnummer", "fehlt in ZTW300PNR: die Berechnung schreibt keine Tageszeilen");
        }
    }

    void Contracts() {
        if (m_explained.ranges.empty()) {
            Add("Vertragszeile", "keine im Abrechnungsjahr: die Berechnung schreibt keine Tageszeilen");
        }
        for (size_t i = 0; i < m_explained.ranges.size(); ++i) {
            const ContractRange& range = m_explained.ranges[i];
            const ContractRecord& rule = Rule(i);
            CString strSteps;
            if (rule.kvtTkt == 0) {
                strSteps = "nur ganze Tage (KVTTKT 0)";
            } else {
                strSteps.Format("Teiltage in Schritten von %d Anteilen (KVTTKT)", rule.kvtTkt);
            }
            CString strText;
            strText.Format(
                "%s bis %s, Regel %s: %d Anteile je freier Tag (KVTANZ), %s, h\xF6"
                "chstens %d Anteile im Jahr (KVTMAX), Vortrag nutzbar bis Ende Monat %d (KVTVMO), "
                "Abrechnungsjahr endet mit Monat %d (KVTJMO)",
                FormatGermanDate(rule.validFrom).GetString(), FormatGermanDate(rule.validTo).GetString(),
                RuleCode(i).GetString(), rule.kvtAnz, strSteps.GetString(), rule.kvtMax, rule.kvtVmo,
                rule.kvtJmo);
            if (range.nStart != rule.validFrom) {
                strText += "; berechnet ab " + FormatGermanDate(range.nStart);
            }
            Add("Vertragszeile", strText);
        }
    }

    void CarryOverLines() {
        CString strText;
        if (!m_year.bCarryOver) {
            strText.Format("keiner (keine Zeile in ZTW332SFV f\xFCr %d)", m_year.nCalcYear);
            Add("Vortrag aus dem Vorjahr", strText);
            return;
        }
        strText.Format("%s Tage, %s Anteile (ZTW332SFV %d); %d Anteile zum Jahresbeginn (SFVZUS)",
                       Number(m_year.dCarryDays).GetString(), Number(m_year.dCarryShares).GetString(),
                       m_year.nCalcYear, m_year.nYearStartShares);
        if (m_explained.ranges.empty()) {
            strText += "; ohne Vertragszeile im Abrechnungsjahr wird er weder genutzt noch weitergegeben";
        }
        Add("Vortrag aus dem Vorjahr", strText);
        if (!m_explained.bCarryCounts) {
            return;
        }
        Usable();
        for (size_t i = 0; i < m_explained.ranges.size(); ++i) {
            Add("Frist des Vortrags", RulePrefix(i) + Deadline(i));
        }
    }

    // How the days and shares carried over become usable under each rule.
    void Usable() {
        std::vector<size_t> rules;  // the first range of each share count and step
        for (size_t i = 0; i < m_explained.ranges.size(); ++i) {
            const bool bSeen = std::any_of(rules.begin(), rules.end(), [&](size_t nSeen) {
                return Rule(nSeen).kvtAnz == Rule(i).kvtAnz && Rule(nSeen).kvtTkt == Rule(i).kvtTkt;
            });
            if (!bSeen) {
                rules.push_back(i);
            }
        }
        for (const size_t nRange : rules) {
            const int32_t nAnz = Rule(nRange).kvtAnz;
            const int32_t nTkt = Rule(nRange).kvtTkt;
            const CarryOver carry{m_year.dCarryDays, m_year.dCarryShares, m_year.nYearStartShares};
            double dDays = 0.0;
            double dShares = 0.0;
            UsableCarryOver(carry, nAnz, nTkt, &dDays, &dShares);
            CString strText = Number(dDays) + " Tage (SFZVTG) und " + Number(dShares) + " Anteile (SFZVAN)";
            if (nAnz == 0 || nTkt == 0) {
                strText += nAnz == 0 ? ", ohne Umrechnung (KVTANZ 0)" : ", ohne Umrechnung (KVTTKT 0)";
            } else {
                const int64_t nCarried = TruncToInt32(m_year.dCarryShares + m_year.dCarryDays);
                const int64_t nRemainder = nCarried % nAnz;
                CString strSteps;
                strSteps.Format(
                    ": %s Anteile + %s Tage ergeben %lld ganze Anteile; %lld mod %d (KVTANZ) = %lld, "
                    "davon in Schritten von %d (KVTTKT) %lld Anteile = ",
                    Number(m_year.dCarryShares).GetString(), Number(m_year.dCarryDays).GetString(),
                    static_cast<long long>(nCarried), static_cast<long long>(nCarried), nAnz,
                    static_cast<long long>(nRemainder), nTkt,
                    static_cast<long long>(nRemainder - nRemainder % nTkt));
                strText += strSteps + Number(dDays - m_year.dCarryDays) + " Tage zu den " +
                           Number(m_year.dCarryDays) + " Tagen, der Rest " + Number(dShares) + " Anteile";
            }
            Add("Vortrag nutzbar",
                (rules.size() > 1 ? "Regel " + RuleCode(nRange) + ": " : CString()) + strText);
        }
    }

    CString RulePrefix(size_t nRange) const {
        if (m_explained.ranges.size() < 2) {
            return CString();
        }
        return "Regel " + RuleCode(nRange) + " ab " + FormatGermanDate(m_explained.ranges[nRange].nStart) +
               ": ";
    }

    // When the carry-over stops counting under the rule of a range, and what was lost then.
    CString Deadline(size_t nRange) const {
        const ContractRange& range = m_explained.ranges[nRange];
        const int32_t nDeadline = CarryOverDeadline(Rule(nRange).kvtVmo, m_year.nCalcYear);
        CString strText;
        for (const CarryDeadline& deadline : m_explained.deadlines) {
            if (deadline.nRange == static_cast<int>(nRange)) {
                strText += CString(strText.IsEmpty() ? "" : "; ") + "ab " + FormatGermanDate(deadline.nDay) +
                           " z\xE4hlt vom Vortrag nur, was bis dahin genommen war (verfallen: " +
                           Number(deadline.dExpired) + " Tage)";
            }
        }
        if (Rule(nRange).kvtVmo <= 0) {
            CString strMonth;
            strMonth.Format("KVTVMO %d", Rule(nRange).kvtVmo);
            return strMonth + ": die Vortragstage stehen in SFZVTG, z\xE4hlen aber nicht" +
                   (strText.IsEmpty() ? CString() : "; " + strText);
        }
        if (!strText.IsEmpty()) {
            return strText;
        }
        if (nDeadline <= range.nStart) {
            return FormatGermanDate(nDeadline) +
                   (nRange == 0
                        ? ", vor Beginn des Abrechnungsjahres; Vortragstage z\xE4hlen nicht"
                        : ", vor Beginn der Vertragszeile; in ihr z\xE4hlt nur, was vorher genutzt war");
        }
        if (nDeadline > range.nEnd) {
            return "der Vortrag z\xE4hlt bis " + FormatGermanDate(range.nEnd) + " (Frist " +
                   FormatGermanDate(nDeadline) + ")";
        }
        return "ab " + FormatGermanDate(nDeadline) + " z\xE4hlt vom Vortrag nur, was bis dahin genommen ist";
    }

    // A rule with another share count divides the shares of the year anew from its first day on.
    void Redivisions() {
        for (size_t i = 1; i < m_explained.ranges.size(); ++i) {
            const int32_t nStart = m_explained.ranges[i].nStart;
            if (Rule(i).kvtAnz == Rule(i - 1).kvtAnz) {
                continue;
            }
            CString strText;
            strText.Format(
                "ab %s (Regel %s) werden die Anteile des Jahres durch %d statt %d (KVTANZ) geteilt",
                FormatGermanDate(nStart).GetString(), RuleCode(i).GetString(), Rule(i).kvtAnz,
                Rule(i - 1).kvtAnz);
            const ResultRow* pBefore = Computed(DateAdd(nStart, -1, 0, 0));
            const ResultRow* pFirst = Computed(nStart);
            if (pBefore != nullptr && pFirst != nullptr) {
                strText += ": " + Number(pFirst->values[kSfzAnt]) + " Anteile, Anspruch von " +
                           Number(pBefore->values[kSfzAns]) + " auf " + Number(pFirst->values[kSfzAns]) +
                           " Tage";
            }
            Add("Neue Teilung", strText);
        }
    }

    const ResultRow* Computed(int32_t nDay) const {
        for (const ExplainedDay& day : m_explained.days) {
            if (day.pRow->key == nDay) {
                return day.pRow;
            }
        }
        return nullptr;
    }

    void NextYear() {
        const int32_t nNextYear = m_year.nCalcYear + 1;
        CString strText;
        strText.Format("keiner (ZTW332SFV %d)", nNextYear);
        for (const ResultRow& row : m_year.computed.years) {
            strText.Format("Rest %s Tage, %s Anteile (ZTW332SFV %d)", Number(row.values[kSfvVtg]).GetString(),
                           Number(row.values[kSfvVan]).GetString(), nNextYear);
        }
        if (m_explained.nProvisional != 0) {
            strText += "; Stand " + FormatGermanDate(m_explained.nProvisional) + ", vorl\xE4ufig";
        }
        if (m_explained.bNextYearDiffers) {
            CString strStored = "keine Zeile";
            for (const ResultRow& row : m_year.stored.years) {
                strStored = "Rest " + Number(row.values[kSfvVtg]) + " Tage, " + Number(row.values[kSfvVan]) +
                            " Anteile";
            }
            strText += "; gespeichert: " + strStored;
        }
        Add("Vortrag ins Folgejahr", strText);
    }

    const PersonYear& m_year;
    const ExplainedYear& m_explained;
    int m_nDecimals;
    std::vector<HeadEntry> m_entries;
};

}  // namespace

std::vector<HeadEntry> ExplanationHead(const PersonYear& year, const ExplainedYear& explained,
                                       int nDecimals) {
    return CHead(year, explained, nDecimals).Build();
}

// Lines break at blanks; a word longer than a line stays whole.
CString FormatHeadText(const std::vector<HeadEntry>& head) {
    CString strText;
    for (const HeadEntry& entry : head) {
        const CString strEntry = entry.strLabel + ": " + entry.strText;
        CString strLine;
        for (int nStart = 0; nStart <= strEntry.GetLength();) {
            int nEnd = strEntry.Find(' ', nStart);
            nEnd = nEnd < 0 ? strEntry.GetLength() : nEnd;
            const CString strWord = strEntry.Mid(nStart).Left(nEnd - nStart);
            if (!strLine.IsEmpty() && strLine.GetLength() + 1 + strWord.GetLength() > kLineWidth) {
                strText += strLine + "\n";
                strLine = CString(kIndent) + strWord;
            } else {
                strLine += (strLine.IsEmpty() ? CString() : CString(" ")) + strWord;
            }
            nStart = nEnd + 1;
        }
        strText += strLine + "\n";
    }
    return strText;
}

ReportTable HeadTable() {
    ReportTable table;
    table.headings = {"PNR", "Angabe", "Text"};
    table.nTextColumns = 3;
    return table;
}

void AddHeadRows(const CString& strPnr, const std::vector<HeadEntry>& head, ReportTable* pTable) {
    for (const HeadEntry& entry : head) {
        pTable->rows.push_back({strPnr, entry.strLabel, entry.strText});
    }
}
