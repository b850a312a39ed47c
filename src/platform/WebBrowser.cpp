#include "WebBrowser.h"

#include "Twips.h"

namespace sora {

void WebBrowser::SetTop(double twips)
{
    m_top = twips;
    applyPlace();
}

void WebBrowser::SetWidth(double twips)
{
    m_width = twips;
    applyPlace();
}

void WebBrowser::SetHeight(double twips)
{
    m_height = twips;
    applyPlace();
}

void WebBrowser::SetPlace(double left, double top, double width, double height)
{
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    applyPlace();
}

void WebBrowser::applyPlace()
{
    twips::place(widget(), m_left, m_top, m_width, m_height);
}

} // namespace sora
