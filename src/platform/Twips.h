#pragma once

class QWidget;

namespace sora::twips {

// Geometry is kept in twips (1/1440 inch) at every edge the settings file and the window logic
// see; widgets work in pixels. Twips per pixel follow the screen's logical DPI (15 at 96 DPI).
double perPixelX();
double perPixelY();

// Pixels for a twips value, rounded to the nearest pixel.
int toPixelsX(double tw);
int toPixelsY(double tw);
// A size never goes below zero pixels: the layout arithmetic can produce negative sizes.
int toSizePixelsX(double tw);
int toSizePixelsY(double tw);

double fromPixelsX(int px);
double fromPixelsY(int px);

// Places a widget inside its parent by twips.
void place(QWidget* widget, double left, double top, double width, double height);

} // namespace sora::twips

namespace sora {

// A control's place in twips, kept as set so repeated changes never drift by rounding.
class TwipsPlace
{
public:
    TwipsPlace() = default;
    TwipsPlace(QWidget* widget, double left, double top, double width, double height)
        : m_widget(widget), m_left(left), m_top(top), m_width(width), m_height(height)
    {
        apply();
    }
    double Left() const { return m_left; }
    double Top() const { return m_top; }
    double Width() const { return m_width; }
    double Height() const { return m_height; }
    void SetLeft(double v) { m_left = v; apply(); }
    void SetTop(double v) { m_top = v; apply(); }
    void SetWidth(double v) { m_width = v; apply(); }
    void SetHeight(double v) { m_height = v; apply(); }

private:
    void apply() { twips::place(m_widget, m_left, m_top, m_width, m_height); }

    QWidget* m_widget = nullptr;
    double m_left = 0;
    double m_top = 0;
    double m_width = 0;
    double m_height = 0;
};

} // namespace sora
