#pragma once

#include <QPlainTextEdit>

namespace tallaby::ui {

// The summary box. Every tick writes the whole summary into it: what the
// user typed or selected inside is discarded, but the reader's scroll
// position is kept so a summary longer than the box can be read, and an
// unchanged summary is not laid out again.
class SummaryBox final : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit SummaryBox(QWidget *parent = nullptr);

    // Lines are separated by lone carriage returns, as in the text written.
    QString text() const { return m_text; }
    void setText(const QString &text);

    // How many times the text was laid out again; for tests and benchmarks.
    int relayoutCount() const { return m_relayouts; }

private:
    QString m_text;
    int m_relayouts = 0;
};

} // namespace tallaby::ui
