#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;
class QPushButton;

namespace tallaby::ui {

// The About window: product, version, maker and its address on a fixed
// frame without a title bar. A click on "Close" or on the empty part of the
// frame, or any key that types a character, closes and discards it.
class frmSplash final : public QWidget {
    Q_OBJECT

public:
    explicit frmSplash(QWidget *parent = nullptr);

    // Whether a key press counts as typing a character: letters, digits,
    // punctuation, Space, Enter, Escape, Backspace and Ctrl+letter do;
    // arrows, function keys, Tab, Delete, Alt combinations and bare
    // modifiers don't.
    static bool typesACharacter(const QKeyEvent &event);

public slots:
    // Each closes and discards the window.
    void Command1_Click(); // the "Close" button
    void Form_KeyPress();  // a key that types a character, wherever the focus is
    void Frame1_Click();   // a click on the frame outside its labels and emblem

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createUi();
    void unload();

    QGroupBox *m_frame = nullptr;
    QPushButton *m_close = nullptr;
    bool m_framePressed = false;
};

} // namespace tallaby::ui
