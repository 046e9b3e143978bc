#include "worksheet/summary.h"

#include "identity.h"

namespace tallaby::worksheet {

QString composeSummaryHead(const WorksheetFields &fields, const QString &dateText) {
    // The blanks before each colon line the values up on paper; keep them.
    struct ValueLine {
        QStringView label;
        Field field;
        int breaks;
    };
    static constexpr ValueLine kValueLines[] = {
        {u"Your Income          : ", Field::Inc1, 1},
        {u"Partners Income    : ", Field::Inc2, 1},
        {u"Other Income        : ", Field::Inc3, 1},
        {u"Total Income         : ", Field::Total1, 1},
        {u"Total Expendature : ", Field::Totex, 2},
        {u"Free Cash              : ", Field::Free, 2},
    };
    const QChar br = kSummaryLineBreak;

    QString doc;
    doc.reserve(300 + dateText.size());
    doc += u"CASHFLOW SUMMARY - Please support us by visiting ";
    doc += QLatin1String(kMakerAddress);
    doc += br;
    doc += br;
    doc += u"DATE: ";
    doc += dateText;
    doc += br;
    doc += br;
    for (const ValueLine &line : kValueLines) {
        doc += line.label;
        doc += fields.text(line.field);
        for (int i = 0; i < line.breaks; ++i)
            doc += br;
    }
    doc += u"NOTES:";
    doc += br;
    doc += br;
    return doc;
}

} // namespace tallaby::worksheet
