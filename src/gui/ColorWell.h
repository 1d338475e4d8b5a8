#pragma once

#include "core/text/RGBColor.h"

#include <QPushButton>

// A button that shows a colour and lets the user pick another one in the colour chooser of the user
// interaction.
//
// The colour is kept as the single-precision components it was given, so a colour loaded from a colour string
// and stored again gives back the same six digits; only a colour picked by the user goes through QColor.
class ColorWell : public QPushButton
{
    Q_OBJECT

public:
    explicit ColorWell(QWidget *parent = nullptr);

    RGBColor color() const { return m_color; }
    void setColor(const RGBColor &color);
    QColor qColor() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // The user picked a colour.
    void colorChanged();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void chooseColor();

    RGBColor m_color;
};
