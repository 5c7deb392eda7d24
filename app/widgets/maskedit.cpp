#include "maskedit.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

TMaskEdit::TMaskEdit(QWidget* parent) : QLineEdit(parent)
{
    // Whatever reaches the line edit past the mask (an input method, a drop) is taken back:
    // the field shows only what its positions hold.
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (masked() && !rendering_)
            render(cursorPosition());
    });
}

void TMaskEdit::setEditMask(const QString& mask)
{
    // The typed positions' characters, in order, carry over to the new mask.
    QString plain;
    if (masked()) {
        for (const Position& p : positions_) {
            if (p.kind != Kind::Fixed)
                plain += p.value.isNull() ? QChar(u' ') : p.value;
        }
        while (!plain.isEmpty() && plain.back() == u' ')
            plain.chop(1);
    } else {
        plain = QLineEdit::text();
    }

    maskText_ = mask;
    positions_.clear();
    keepFixed_ = true;
    leadingBlanks_ = false;
    blank_ = u'_';

    QString body = mask;
    const QStringList parts = mask.split(u';');
    if (parts.size() >= 2) {
        body = parts[0];
        keepFixed_ = parts[1] != u"0";
        if (parts.size() >= 3 && !parts[2].isEmpty())
            blank_ = parts[2][0];
    }

    Case letterCase = Case::AsTyped;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body[i];
        Position p;
        p.letterCase = letterCase;
        switch (c.unicode()) {
        case u'\\':
            if (++i >= body.size())
                continue;
            p.fixed = body[i];
            break;
        case u'>':
        case u'<':
            // "<>" (either way round) ends a case change.
            if (i + 1 < body.size() && (body[i + 1] == u'<' || body[i + 1] == u'>') && body[i + 1] != c) {
                ++i;
                letterCase = Case::AsTyped;
            } else {
                letterCase = c == u'>' ? Case::Upper : Case::Lower;
            }
            continue;
        case u'!': leadingBlanks_ = true; continue;
        // clang-format off
        case u'9': p.kind = Kind::Digit; break;
        case u'0': p.kind = Kind::Digit; p.required = true; break;
        case u'#': p.kind = Kind::DigitOrSign; break;
        case u'l': p.kind = Kind::Letter; break;
        case u'L': p.kind = Kind::Letter; p.required = true; break;
        case u'a': p.kind = Kind::LetterOrDigit; break;
        case u'A': p.kind = Kind::LetterOrDigit; p.required = true; break;
        case u'c': p.kind = Kind::Any; break;
        case u'C': p.kind = Kind::Any; p.required = true; break;
        // clang-format on
        default: p.fixed = c; break; // "/" and ":" are fixed separators too
        }
        positions_.push_back(p);
    }

    setAcceptDrops(!masked());
    if (!masked()) {
        QLineEdit::setText(plain);
        return;
    }

    // Spread the plain text over the typed positions; with "!" a short text sits at the end.
    QVector<int> typed;
    for (int i = 0; i < positions_.size(); ++i) {
        if (positions_[i].kind != Kind::Fixed)
            typed.push_back(i);
    }
    const qsizetype skip = leadingBlanks_ ? std::max<qsizetype>(0, typed.size() - plain.size()) : 0;
    for (qsizetype s = 0; s < typed.size(); ++s) {
        const qsizetype from = s - skip;
        if (from < 0 || from >= plain.size() || plain[from] == u' ')
            continue;
        Position& p = positions_[typed[s]];
        p.value = cased(p, plain[from]);
    }
    render(0);
}

QString TMaskEdit::text() const
{
    if (!masked())
        return QLineEdit::text();
    QString out;
    for (const Position& p : positions_) {
        if (p.kind == Kind::Fixed) {
            if (keepFixed_)
                out += p.fixed;
        } else {
            out += p.value.isNull() ? QChar(u' ') : p.value;
        }
    }
    return out;
}

void TMaskEdit::setText(const QString& text)
{
    if (!masked()) {
        QLineEdit::setText(text);
        return;
    }
    // Position by position, as text() gives it; fixed characters stay what the mask says.
    qsizetype at = 0;
    for (Position& p : positions_) {
        if (p.kind == Kind::Fixed) {
            if (keepFixed_)
                ++at;
            continue;
        }
        const QChar c = at < text.size() ? text[at] : QChar(u' ');
        ++at;
        p.value = c == u' ' ? QChar() : cased(p, c);
    }
    render(0);
}

bool TMaskEdit::accepts(const Position& p, QChar c)
{
    switch (p.kind) {
    case Kind::Fixed: return false;
    case Kind::Digit: return c >= u'0' && c <= u'9';
    case Kind::DigitOrSign: return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-';
    case Kind::Letter: return c.isLetter();
    case Kind::LetterOrDigit: return c.isLetterOrNumber();
    case Kind::Any: return c.isPrint();
    }
    return false;
}

QChar TMaskEdit::cased(const Position& p, QChar c)
{
    switch (p.letterCase) {
    case Case::Upper: return c.toUpper();
    case Case::Lower: return c.toLower();
    case Case::AsTyped: break;
    }
    return c;
}

int TMaskEdit::slotAtOrAfter(int index) const
{
    for (int i = std::max(index, 0); i < positions_.size(); ++i) {
        if (positions_[i].kind != Kind::Fixed)
            return i;
    }
    return -1;
}

int TMaskEdit::slotBefore(int index) const
{
    for (int i = std::min<int>(index, static_cast<int>(positions_.size())) - 1; i >= 0; --i) {
        if (positions_[i].kind != Kind::Fixed)
            return i;
    }
    return -1;
}

void TMaskEdit::clearSlots(int from, int to)
{
    for (int i = from; i < to && i < positions_.size(); ++i)
        positions_[i].value = QChar();
}

void TMaskEdit::render(int cursor)
{
    QString shown;
    for (const Position& p : positions_)
        shown += p.kind == Kind::Fixed ? p.fixed : (p.value.isNull() ? blank_ : p.value);
    rendering_ = true;
    QLineEdit::setText(shown);
    rendering_ = false;
    setCursorPosition(cursor);
}

int TMaskEdit::typingSlot() const
{
    const int at = slotAtOrAfter(cursorPosition());
    if (at >= 0)
        return at;
    int last = -1;
    for (int i = 0; i < positions_.size(); ++i) {
        if (positions_[i].kind != Kind::Fixed && !positions_[i].value.isNull())
            last = i;
    }
    return slotAtOrAfter(last + 1);
}

void TMaskEdit::clearSelection()
{
    if (!hasSelectedText())
        return;
    const int start = selectionStart();
    clearSlots(start, start + static_cast<int>(selectedText().size()));
    render(start);
}

bool TMaskEdit::typeCharacter(QChar c)
{
    const int at = typingSlot();
    if (at < 0 || !accepts(positions_[at], c))
        return false;
    positions_[at].value = cased(positions_[at], c);
    const int next = slotAtOrAfter(at + 1);
    render(next < 0 ? at + 1 : next);
    return true;
}

void TMaskEdit::refuse() { QApplication::beep(); }

bool TMaskEdit::holdsTheLayout(const QString& text) const
{
    // A field's own text (copied from this or a like field): longer than the fixed characters
    // it starts with, and each fixed character it reaches in its place.
    if (text.size() > positions_.size())
        return false;
    qsizetype lead = 0;
    while (lead < positions_.size() && positions_[lead].kind == Kind::Fixed)
        ++lead;
    if (lead == 0 || text.size() <= lead)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (positions_[i].kind == Kind::Fixed && text[i] != positions_[i].fixed)
            return false;
    }
    return true;
}

void TMaskEdit::insertThroughMask(const QString& text)
{
    if (text.isEmpty())
        return;
    bool refused = false;
    if (keepFixed_ && holdsTheLayout(text)) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            Position& p = positions_[i];
            if (p.kind == Kind::Fixed)
                continue;
            const QChar c = text[i];
            if (c == u' ' || c == blank_)
                p.value = QChar();
            else if (accepts(p, c))
                p.value = cased(p, c);
            else
                refused = true;
        }
        const int next = slotAtOrAfter(static_cast<int>(text.size()));
        render(next < 0 ? static_cast<int>(text.size()) : next);
    } else {
        clearSelection();
        for (QChar c : text)
            refused = !typeCharacter(c) || refused;
    }
    if (refused)
        refuse();
}

void TMaskEdit::keyPressEvent(QKeyEvent* event)
{
    if (onKeyPress && !event->text().isEmpty()) {
        QChar key = event->text()[0];
        onKeyPress(key);
        if (key.isNull()) {
            event->accept();
            return;
        }
    }
    if (!masked() || isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }

    const int cursor = cursorPosition();
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) {
        if (hasSelectedText()) {
            clearSelection();
        } else if (event->key() == Qt::Key_Backspace) {
            const int at = slotBefore(cursor);
            if (at >= 0) {
                positions_[at].value = QChar();
                render(at);
            }
        } else {
            const int at = slotAtOrAfter(cursor);
            if (at >= 0) {
                positions_[at].value = QChar();
                render(cursor);
            }
        }
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        pasteThroughMask(QClipboard::Clipboard);
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        cutThroughMask();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        event->accept(); // the mask keeps no history of its positions
        return;
    }
    const QString typed = event->text();
    if (!typed.isEmpty() && typed[0].isPrint() && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        bool refused = false;
        for (QChar c : typed) {
            if (hasSelectedText()) {
                // Only a character the first selected position takes replaces the selection.
                const int first = slotAtOrAfter(selectionStart());
                if (first < 0 || !accepts(positions_[first], c)) {
                    refused = true;
                    continue;
                }
                clearSelection();
            }
            refused = !typeCharacter(c) || refused;
        }
        if (refused)
            refuse();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TMaskEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // Back from a menu or another window, the cursor and selection stay where they were.
    const bool returning = event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason;
    if (masked() && !returning) {
        const int first = slotAtOrAfter(0);
        setCursorPosition(first < 0 ? 0 : first);
    }
}

void TMaskEdit::pasteThroughMask(QClipboard::Mode mode)
{
    if (isReadOnly())
        return;
    insertThroughMask(QGuiApplication::clipboard()->text(mode));
}

void TMaskEdit::deleteSelection()
{
    if (!isReadOnly())
        clearSelection();
}

void TMaskEdit::cutThroughMask()
{
    if (isReadOnly() || !hasSelectedText())
        return;
    copy();
    clearSelection();
}

void TMaskEdit::contextMenuEvent(QContextMenuEvent* event)
{
    if (!masked()) {
        QLineEdit::contextMenuEvent(event);
        return;
    }
    // Built here rather than taken from the line edit: every entry works through the mask,
    // and the line edit's own history of edits (undo, redo) is not offered.
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const bool editable = !isReadOnly();
    const bool selected = hasSelectedText();
    const auto add = [menu](const QString& text, QKeySequence::StandardKey key, const char* name, bool enabled,
                            auto work) {
        QString label = text;
        if (const QKeySequence shortcut(key); !shortcut.isEmpty())
            label += u'\t' + shortcut.toString(QKeySequence::NativeText);
        QAction* action = menu->addAction(label);
        action->setObjectName(QLatin1String(name));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, menu, work);
    };
    add(QLineEdit::tr("Cu&t"), QKeySequence::Cut, "edit-cut", editable && selected, [this] { cutThroughMask(); });
    add(QLineEdit::tr("&Copy"), QKeySequence::Copy, "edit-copy", selected, [this] { copy(); });
    add(QLineEdit::tr("&Paste"), QKeySequence::Paste, "edit-paste",
        editable && !QGuiApplication::clipboard()->text().isEmpty(),
        [this] { pasteThroughMask(QClipboard::Clipboard); });
    add(QLineEdit::tr("Delete"), QKeySequence::UnknownKey, "edit-delete", editable && selected,
        [this] { deleteSelection(); });
    menu->addSeparator();
    add(QLineEdit::tr("Select All"), QKeySequence::SelectAll, "select-all", true, [this] { selectAll(); });
    menu->popup(event->globalPos());
    event->accept();
}

void TMaskEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // The selection paste of the middle button, through the mask as well.
    if (masked() && event->button() == Qt::MiddleButton) {
        pasteThroughMask(QClipboard::Selection);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}
