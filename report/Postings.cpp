#include "report/Postings.h"

#include <algorithm>

#include "base/FieldText.h"
#include "report/InputRows.h"
#include "report/ReportFormat.h"

namespace {

// The absence codes of this kind are shift free time, and only bookings of these functions count.
constexpr int32_t kFreeTimeKind = 25;
constexpr int32_t kFirstFunction = 1;
constexpr int32_t kLastFunction = 3;

// Free days are planned from a contract row's start to the end of the calendar year it starts in.
int32_t PlanningEnd(const ContractRecord& contract) {
    return contract.validFrom / 10000 * 10000 + 1231;
}

int32_t LastCalculatedDay(const ExplainedYear& explained) {
    return explained.days.empty() ? 0 : explained.days.back().pRow->key;
}

// The shifts that the per-day statement sums for each range, as far as its days are calculated.
// Their shares count within the contract row's own dates only.
int32_t ReadShiftPostings(CDbConnection& db, const PersonYear& year, const ExplainedYear& explained,
                          std::vector<Posting>* pPostings) {
    const int32_t nLastDay = LastCalculatedDay(explained);
    for (size_t i = 0; i < explained.ranges.size(); ++i) {
        const ContractRange& range = explained.ranges[i];
        const ContractRecord& contract = *range.pContract;
        const CString strRule = FieldText(contract.ruleCode, sizeof(contract.ruleCode));
        std::vector<ShiftRow> shifts;
        const int32_t nCode = range.nStart > std::min(range.nEnd, nLastDay)
                                  ? 0
                                  : db.ReadKvtShifts(year.strPnr, strRule, range.nStart,
                                                     std::min(range.nEnd, nLastDay), &shifts);
        if (nCode != 0) {
            return nCode;
        }
        for (const ShiftRow& shift : shifts) {
            if (RangeOfDay(explained.ranges, shift.nDay) != static_cast<int>(i)) {
                continue;  // a later range wrote the day
            }
            Posting posting;
            posting.nDay = shift.nDay;
            posting.bShift = true;
            posting.strCode = shift.strModel;
            posting.strDetail =
                "Regel " + strRule + ", Vertragszeile ab " + FormatGermanDate(contract.validFrom);
            posting.dShares = shift.dShares;
            if (contract.validFrom <= shift.nDay && shift.nDay <= contract.validTo) {
                posting.count = PostingCount::Shares;
            } else {
                posting.strNote = "vor Beginn der Vertragszeile";
            }
            pPostings->push_back(posting);
        }
    }
    return 0;
}

CString BookedDays(const BookingRow& booking) {
    CString strDetail;
    for (const auto& [bSet, pszPart] :
         {std::pair{booking.bWholeDay, "ganzer Tag"}, std::pair{booking.bFirstHalf, "1. H\xE4lfte"},
          std::pair{booking.bSecondHalf, "2. H\xE4lfte"}}) {
        if (bSet) {
            strDetail += CString(strDetail.IsEmpty() ? "" : " + ") + pszPart;
        }
    }
    return strDetail.IsEmpty() ? CString("kein Tag in ZTW327TAG") : strDetail;
}

// How a booking counts: a booking of shift free time is taken on its day when a contract range
// covers it and the day is calculated; one after the last day calculated is planned there when it
// lies in the planning window of that day's contract row.
void CountBooking(const BookingRow& booking, const ExplainedYear& explained, Posting* pPosting) {
    CString strText;
    if (!booking.bKindKnown) {
        pPosting->strNote = "Fehlzeitcode fehlt in ZTW131FCD";
    } else if (booking.nKind != kFreeTimeKind) {
        strText.Format("Fehlzeitcode z\xE4hlt nicht (FCDFCD %d)", booking.nKind);
        pPosting->strNote = strText;
    } else if (booking.nFunction < kFirstFunction || booking.nFunction > kLastFunction) {
        strText.Format("Buchungsfunktion z\xE4hlt nicht (BCHFKT %d)", booking.nFunction);
        pPosting->strNote = strText;
    } else if (pPosting->dDays == 0.0) {
        pPosting->strNote = "kein ganzer oder halber Tag in ZTW327TAG";
    } else {
        const int32_t nLastDay = LastCalculatedDay(explained);
        const int nRange = RangeOfDay(explained.ranges, booking.nDay);
        if (nRange >= 0 && booking.nDay <= nLastDay) {
            pPosting->count = PostingCount::Taken;
            const int32_t nPlanningEnd =
                PlanningEnd(*explained.ranges[static_cast<size_t>(nRange)].pContract);
            if (booking.nDay > nPlanningEnd) {
                pPosting->strNote =
                    "vorher nicht geplant: nach dem Planungszeitraum bis " + FormatGermanDate(nPlanningEnd);
            }
            return;
        }
        const int nLastRange = nLastDay == 0 ? -1 : RangeOfDay(explained.ranges, nLastDay);
        const ContractRecord* pLast =
            nLastRange < 0 ? nullptr : explained.ranges[static_cast<size_t>(nLastRange)].pContract;
        if (pLast != nullptr && booking.nDay > nLastDay && pLast->validFrom <= booking.nDay &&
            booking.nDay <= PlanningEnd(*pLast)) {
            pPosting->count = PostingCount::Planned;
        } else if (nRange < 0 || pLast == nullptr) {
            pPosting->strNote = "kein Vertrag an dem Tag";
        } else {
            pPosting->strNote =
                "au\xDF"
                "erhalb des Planungszeitraums bis " +
                FormatGermanDate(PlanningEnd(*pLast));
        }
    }
}

int32_t ReadBookingPostings(CDbConnection& db, const PersonYear& year, const ExplainedYear& explained,
                            std::vector<Posting>* pPostings) {
    int32_t nLastBookingDay = year.nPeriodEnd;
    for (const ContractRange& range : explained.ranges) {
        nLastBookingDay = std::max(nLastBookingDay, PlanningEnd(*range.pContract));
    }
    std::vector<BookingRow> bookings;
    const int32_t nCode = db.ReadKvtBookings(year.strPnr, year.nPeriodStart, nLastBookingDay, &bookings);
    for (const BookingRow& booking : bookings) {
        Posting posting;
        posting.nDay = booking.nDay;
        posting.strCode = booking.strCode;
        posting.strDetail = BookedDays(booking);
        posting.dDays = (booking.bWholeDay ? 1.0 : 0.0) + (booking.bFirstHalf ? 0.5 : 0.0) +
                        (booking.bSecondHalf ? 0.5 : 0.0);
        CountBooking(booking, explained, &posting);
        pPostings->push_back(posting);
    }
    return nCode;
}

CString CountText(const Posting& posting) {
    switch (posting.count) {
        case PostingCount::Shares:
            return "Anteile";
        case PostingCount::Taken:
            return posting.strNote.IsEmpty() ? CString("genommen") : "genommen; " + posting.strNote;
        case PostingCount::Planned:
            return "geplant";
        case PostingCount::NotCounted:
            break;
    }
    return "nein: " + posting.strNote;
}

}  // namespace

int32_t ReadPostings(CDbConnection& db, const PersonYear& year, const ExplainedYear& explained,
                     std::vector<Posting>* pPostings) {
    pPostings->clear();
    if (year.nPeriodStart == 0) {
        return 0;
    }
    int32_t nCode = ReadShiftPostings(db, year, explained, pPostings);
    if (nCode == 0) {
        nCode = ReadBookingPostings(db, year, explained, pPostings);
    }
    std::stable_sort(pPostings->begin(), pPostings->end(), [](const Posting& a, const Posting& b) {
        return a.nDay != b.nDay ? a.nDay < b.nDay : a.bShift && !b.bShift;
    });
    return nCode;
}

ReportTable BuildPostingsTable(const PersonYear& year, const ExplainedYear& explained,
                               const std::vector<Posting>& postings, const YearTableStyle& style) {
    ReportTable table;
    table.headings = {"Tag", "Art", "Code", "Angabe", "Anteile", "Tage", "z\xE4hlt"};
    table.nTextColumns = 4;
    table.nTrailingTextColumns = 1;
    if (style.bWithPnr) {
        table.headings.insert(table.headings.begin(), "PNR");
        table.nTextColumns = 5;
    }
    const auto add = [&](std::vector<CString> cells) {
        if (style.bWithPnr) {
            cells.insert(cells.begin(), year.strPnr);
        }
        table.rows.push_back(cells);
    };
    const auto periodOf = [&style](int32_t nDay) { return style.bDays ? nDay : nDay / 100; };
    double dShares = 0.0;
    double dTaken = 0.0;
    double dPlanned = 0.0;
    size_t nDay = 0;  // the calculated days up to the period of the posting
    for (size_t i = 0; i < postings.size(); ++i) {
        const Posting& posting = postings[i];
        add({FormatIsoDate(posting.nDay), posting.bShift ? "Schicht" : "Buchung", posting.strCode,
             posting.strDetail, posting.bShift ? FormatNumber(posting.dShares, style.nDecimals) : CString(),
             posting.bShift ? CString() : FormatNumber(posting.dDays, style.nDecimals), CountText(posting)});
        dShares += posting.count == PostingCount::Shares ? posting.dShares : 0.0;
        dTaken += posting.count == PostingCount::Taken ? posting.dDays : 0.0;
        dPlanned += posting.count == PostingCount::Planned ? posting.dDays : 0.0;
        const int32_t nPeriod = periodOf(posting.nDay);
        if (i + 1 < postings.size() && periodOf(postings[i + 1].nDay) == nPeriod) {
            continue;
        }
        while (nDay + 1 < explained.days.size() && periodOf(explained.days[nDay + 1].pRow->key) <= nPeriod) {
            ++nDay;
        }
        if (!explained.days.empty() && periodOf(explained.days[nDay].pRow->key) == nPeriod) {
            const CString strPeriod =
                style.bDays ? FormatIsoDate(nPeriod) : FormatIsoDate(nPeriod * 100 + 1).Left(7);
            add({strPeriod, "Summe", "",
                 "Anteile; genommen bis " + FormatGermanDate(explained.days[nDay].pRow->key),
                 FormatNumber(dShares, style.nDecimals), FormatNumber(dTaken, style.nDecimals), ""});
        }
        dShares = 0.0;
    }
    if (dPlanned != 0.0) {
        add({"", "Summe", "", "geplant nach " + FormatGermanDate(LastCalculatedDay(explained)), "",
             FormatNumber(dPlanned, style.nDecimals), ""});
    }
    return table;
}
