#include "ColorWell.h"

#include "core/export/Common.h"
#include "core/platform/UserInteraction.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

using namespace Qt::StringLiterals;

ColorWell::ColorWell(QWidget *parent)
    : QPushButton(parent)
{
    connect(this, &QPushButton::clicked, this, &ColorWell::chooseColor);
}

void ColorWell::setColor(const RGBColor &color)
{
    m_color = color;
    setToolTip(qColor().name(QColor::HexRgb));
    update();
}

QColor ColorWell::qColor() const
{
    return QColor::fromRgbF(m_color.red, m_color.green, m_color.blue);
}

QSize ColorWell::sizeHint() const
{
    const int h = QPushButton::sizeHint().height();
    return { h * 2, h };
}

QSize ColorWell::minimumSizeHint() const
{
    return sizeHint();
}

void ColorWell::paintEvent(QPaintEvent *event)
{
    QPushButton::paintEvent(event);

    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const QRect swatch = contents.adjusted(2, 2, -3, -3);
    QPainter painter(this);
    painter.setPen(isEnabled() ? palette().color(QPalette::WindowText) : palette().color(QPalette::Mid));
    painter.setBrush(qColor());
    painter.drawRect(swatch);
}

void ColorWell::chooseColor()
{
    const QString title = accessibleName().isEmpty() ? u"Choose a Color"_s : accessibleName();
    const std::optional<QString> answer
        = UserInteraction::current().chooseColor(Common::NSColorToRGBString(m_color), title);
    if (!answer)
        return;
    const QColor chosen(u'#' + *answer);
    if (!chosen.isValid())
        return;
    setColor({ float(chosen.redF()), float(chosen.greenF()), float(chosen.blueF()) });
    Q_EMIT colorChanged();
}
