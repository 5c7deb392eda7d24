// A line edit with an edit mask: fixed characters, typed positions and their blanks.
//
// Mask notation: "\x" fixed character x; "9" digit or unfilled, "0" digit required;
// "L"/"l" letter (required/optional), "A"/"a" letter or digit, "C"/"c" any character,
// "#" digit or sign; ">" upper case from here, "<" lower case ("<>" ends either);
// "/" and ":" the date and time separators (fixed); "!" unfilled optional positions lead.
// An optional tail ";s;b" says whether the text keeps the fixed characters (s = 1, the
// default) and which character shows an unfilled position (b, default "_").
//
// With a mask, text() holds every position, an unfilled one read as a blank. Removing the
// mask leaves the typed positions alone, unfilled ones inside as blanks and those at the
// end dropped; putting a mask on spreads the plain text over the typed positions.
#pragma once

#include <QClipboard>
#include <QLineEdit>
#include <QString>
#include <QVector>

#include <functional>

class TMaskEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString editMask READ editMask WRITE setEditMask)

public:
    explicit TMaskEdit(QWidget* parent = nullptr);

    QString editMask() const { return maskText_; }
    void setEditMask(const QString& mask);

    // The field's text as the program reads and writes it (hides QLineEdit's own).
    QString text() const;
    void setText(const QString& text);

    // Sees every typed character, Enter as '\r', before the field does, also when read-only;
    // setting it to a null QChar swallows the key.
    std::function<void(QChar&)> onKeyPress;

protected:
    // A key or pasted character the field cannot take: the system's beep.
    virtual void refuse();

    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Kind { Fixed, Digit, DigitOrSign, Letter, LetterOrDigit, Any };
    enum class Case { AsTyped, Upper, Lower };
    struct Position {
        Kind kind = Kind::Fixed;
        bool required = false;
        Case letterCase = Case::AsTyped;
        QChar fixed;
        QChar value; // null: unfilled
    };

    bool masked() const { return !positions_.isEmpty(); }
    static bool accepts(const Position& p, QChar c);
    static QChar cased(const Position& p, QChar c);
    int slotAtOrAfter(int index) const;
    int slotBefore(int index) const;
    void clearSlots(int from, int to);
    void render(int cursor);
    // Where a character typed at the cursor goes: the typed position at or after it, or,
    // past the last one, the first free position after those filled; -1 when none.
    int typingSlot() const;
    // Typing over a selection empties its positions and types from the first of them.
    void clearSelection();
    bool typeCharacter(QChar c);
    // Text that holds the fixed characters in their places goes back to those places;
    // any other text goes in as if typed at the cursor.
    void insertThroughMask(const QString& text);
    void pasteThroughMask(QClipboard::Mode mode);
    void cutThroughMask();
    void deleteSelection();
    bool holdsTheLayout(const QString& text) const;

    QString maskText_;
    QVector<Position> positions_;
    bool keepFixed_ = true;
    bool leadingBlanks_ = false;
    QChar blank_ = QLatin1Char('_');
    bool rendering_ = false;
};
