#pragma once

#include <QPlainTextEdit>

// The multi-line header text of the HTML pages. The header is stored and written as plain text, so the view
// never holds formatting: pasted rich text arrives as its plain text, and no colour picked in a colour dialog
// can colour it.
class slTextView : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit slTextView(QWidget *parent = nullptr);

    QString string() const;
    void setString(const QString &text);

protected:
    void insertFromMimeData(const QMimeData *source) override;
};
