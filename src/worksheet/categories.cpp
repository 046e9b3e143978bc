#include "worksheet/categories.h"

namespace tallaby::worksheet {

const QStringList &expenseCategories() {
    static const QStringList categories = {
        QStringLiteral("Car Insurance"),    QStringLiteral("Car Petrol"),
        QStringLiteral("Car Tax"),          QStringLiteral("Child Care"),
        QStringLiteral("Clothes Shopping"), QStringLiteral("Council Tax"),
        QStringLiteral("Credit Card 1"),    QStringLiteral("Credit Card 2"),
        QStringLiteral("Credit Card 3"),    QStringLiteral("Credit Card 4"),
        QStringLiteral("Electricity Bill"), QStringLiteral("Food Shopping"),
        QStringLiteral("Gas Bill"),         QStringLiteral("Heating Oil"),
        QStringLiteral("Hire Purchase"),    QStringLiteral("House Insurance"),
        QStringLiteral("Loan 1"),           QStringLiteral("Loan 2"),
        QStringLiteral("Loan 3"),           QStringLiteral("Loan 4"),
        QStringLiteral("Maintenance"),      QStringLiteral("Mobile Telephone"),
        QStringLiteral("Mortgage/Rent"),    QStringLiteral("Smoking"),
        QStringLiteral("Store Card 1"),     QStringLiteral("Store Card 2"),
        QStringLiteral("Store Card 3"),     QStringLiteral("Store Card 4"),
        QStringLiteral("Telephone"),        QStringLiteral("TV License"),
        QStringLiteral("Water Rates"),
    };
    return categories;
}

QString categoryPlaceholder() {
    return QStringLiteral("Please Select");
}

} // namespace tallaby::worksheet
