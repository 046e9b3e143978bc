#include "worksheet/summary.h"

#include "worksheet/maker.h"

namespace tallaby::worksheet {

QString composeSummary(const WorksheetFields &fields, const QString &dateText) {
    // The blanks before each colon line the values up on paper; keep them.
    static const QString title =
        QStringLiteral("CASHFLOW SUMMARY - Please support us by visiting ") +
        QLatin1String(kMakerAddress);
    const QChar br = kSummaryLineBreak;

    const QString inc1 = fields.text(Field::Inc1);
    const QString inc2 = fields.text(Field::Inc2);
    const QString inc3 = fields.text(Field::Inc3);
    const QString total = fields.text(Field::Total1);
    const QString expenditure = fields.text(Field::Totex);
    const QString freeCash = fields.text(Field::Free);
    const QString notes = fields.text(Field::RichTextBox2);

    QString doc;
    doc.reserve(title.size() + 220 + dateText.size() + inc1.size() + inc2.size() + inc3.size() +
                total.size() + expenditure.size() + freeCash.size() + notes.size());
    doc += title;
    doc += br;
    doc += br;
    doc += u"DATE: ";
    doc += dateText;
    doc += br;
    doc += br;
    doc += u"Your Income          : ";
    doc += inc1;
    doc += br;
    doc += u"Partners Income    : ";
    doc += inc2;
    doc += br;
    doc += u"Other Income        : ";
    doc += inc3;
    doc += br;
    doc += u"Total Income         : ";
    doc += total;
    doc += br;
    doc += u"Total Expendature : ";
    doc += expenditure;
    doc += br;
    doc += br;
    doc += u"Free Cash              : ";
    doc += freeCash;
    doc += br;
    doc += br;
    doc += u"NOTES:";
    doc += br;
    doc += br;
    doc += notes;
    return doc;
}

} // namespace tallaby::worksheet
