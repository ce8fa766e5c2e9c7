#include "ReportElements.h"

#include "DisplayMask.h"

ReportFrame ReportFrame::all(double widthMm)
{
    return sides(true, true, true, true, widthMm);
}

ReportFrame ReportFrame::sides(bool top, bool bottom, bool left, bool right, double widthMm)
{
    ReportFrame f;
    f.top = top;
    f.bottom = bottom;
    f.left = left;
    f.right = right;
    f.widthMm = widthMm;
    return f;
}

QString ReportText::formatValue(const QVariant& value) const
{
    if (m_formatter)
        return m_formatter(value);
    return DisplayMask::format(value, m_mask);
}
