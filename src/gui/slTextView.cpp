#include "slTextView.h"

#include <QMimeData>

slTextView::slTextView(QWidget *parent)
    : QPlainTextEdit(parent)
{
    // Tab moves on to the next control, as in the other fields of the window; HTML would fold a tab anyway.
    setTabChangesFocus(true);
}

QString slTextView::string() const
{
    return toPlainText();
}

void slTextView::setString(const QString &text)
{
    setPlainText(text);
}

void slTextView::insertFromMimeData(const QMimeData *source)
{
    if (source && source->hasText())
        insertPlainText(source->text());
    else
        QPlainTextEdit::insertFromMimeData(source);
}
