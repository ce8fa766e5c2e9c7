#include "ReportRenderer.h"

#include "DisplayMask.h"
#include "RenderedReport.h"
#include "Report.h"
#include "ReportDataSource.h"
#include "ReportUnits.h"
#include "TextMeasure.h"

#include <QHash>
#include <cmath>

namespace {

using ReportUnits::fromMm;

// A band made ready for placing: its items relative to the band's top, and its final height.
struct MeasuredBand {
    ReportBand* band = nullptr;
    bool print = false;
    int height = 0;
    QList<ReportItem> items;
    bool usesPageNumber = false;
    int measuredOnPage = 0;
};

int penUnits(double mm)
{
    return mm <= 0 ? 0 : qMax(1, fromMm(mm));
}

ReportItem lineItem(int x1, int y1, int x2, int y2, const QColor& color, int width)
{
    ReportItem item;
    item.type = ReportItem::Type::Line;
    item.rect = QRect(x1, y1, x2 - x1, y2 - y1);
    item.color = color;
    item.penWidth = width;
    return item;
}

void addFrame(QList<ReportItem>& items, const QRect& r, const ReportFrame& frame)
{
    if (!frame.any())
        return;
    const int w = penUnits(frame.widthMm);
    const int right = r.x() + r.width(), bottom = r.y() + r.height();
    if (frame.top)
        items << lineItem(r.x(), r.y(), right, r.y(), frame.color, w);
    if (frame.bottom)
        items << lineItem(r.x(), bottom, right, bottom, frame.color, w);
    if (frame.left)
        items << lineItem(r.x(), r.y(), r.x(), bottom, frame.color, w);
    if (frame.right)
        items << lineItem(right, r.y(), right, bottom, frame.color, w);
}

ReportItem fillItem(const QRect& r, const QColor& brush)
{
    ReportItem item;
    item.type = ReportItem::Type::Rect;
    item.rect = r;
    item.brush = brush;
    item.penWidth = 0;
    return item;
}

int itemTop(const ReportItem& item)
{
    return item.type == ReportItem::Type::Line ? qMin(item.rect.y(), item.rect.y() + item.rect.height()) : item.rect.y();
}

int itemBottom(const ReportItem& item)
{
    return item.type == ReportItem::Type::Line ? qMax(item.rect.y(), item.rect.y() + item.rect.height())
                                               : item.rect.y() + item.rect.height();
}

// Texts and images are moved or shrunk whole; lines and rectangles may be cut in two.
bool breakable(const ReportItem& item)
{
    return item.type == ReportItem::Type::Line || item.type == ReportItem::Type::Rect;
}

// The parts of a line or rectangle above and below y.
std::pair<ReportItem, ReportItem> cutAt(const ReportItem& item, int y)
{
    ReportItem upper = item, lower = item;
    if (item.type == ReportItem::Type::Line) {
        const QRect& r = item.rect;
        const int x1 = r.x(), y1 = r.y(), x2 = r.x() + r.width(), y2 = r.y() + r.height();
        const int xc = x1 + int(std::lround(double(x2 - x1) * (y - y1) / double(y2 - y1)));
        const bool down = y2 > y1;
        const QPoint top = down ? QPoint(x1, y1) : QPoint(x2, y2), bottom = down ? QPoint(x2, y2) : QPoint(x1, y1);
        upper.rect = QRect(top.x(), top.y(), xc - top.x(), y - top.y());
        lower.rect = QRect(xc, y, bottom.x() - xc, bottom.y() - y);
    } else {
        upper.rect.setBottom(y - 1);   // QRect's bottom is one less than y + height
        lower.rect.setTop(y);
    }
    return {upper, lower};
}

// A text or image too tall for any page, cut to end at y.
ReportItem shrunkTo(const ReportItem& item, int y)
{
    ReportItem out = item;
    const int height = y - item.rect.y();
    if (item.type == ReportItem::Type::Image && item.rect.height() > 0)
        out.rect.setWidth(int(qint64(item.rect.width()) * height / item.rect.height()));
    out.rect.setHeight(height);
    return out;
}

// Shown where a part of a band had to be left off because it is larger than a page.
ReportItem clippedMark(int right, int bottom)
{
    ReportItem item;
    item.type = ReportItem::Type::Text;
    item.text = QStringLiteral("(gekürzt)");
    item.fontFamily = QStringLiteral("Arial");
    item.pointSize = 7;
    item.color = Qt::red;
    item.alignment = int(Qt::AlignRight | Qt::AlignBottom);
    item.rect = QRect(right - 250, bottom - 35, 250, 35);
    return item;
}

void visitBands(ReportBand* band, const std::function<void(ReportBand*)>& f)
{
    for (ReportBand* b = band; b; b = b->child())
        f(b);
}

class LayoutRun {
public:
    LayoutRun(Report& report, RenderedReport& target, ReportRenderer& engine, const QDateTime& now)
        : m_report(report), m_target(target), m_engine(engine), m_now(now)
    {
    }

    void run();

private:
    MeasuredBand measure(ReportBand* band);
    void measureText(const ReportText& text, ReportBand* band, MeasuredBand& out, int& growth);
    void printChain(ReportBand* first);
    int chainHeight(ReportBand* first);
    int leadHeight(ReportSubDetail& sub);
    int followingHeight(ReportBand* band);
    void printSubDetail(ReportSubDetail& sub);
    void placeContinuation(ReportSubDetail& sub);
    void place(MeasuredBand m);
    void placeAt(const MeasuredBand& m, int y);
    void placeSplit(const MeasuredBand& m);
    int footerHeight() const;
    void keepOnPaper();
    void placeFurniture(ReportBand* first);
    void newPage();
    void finishPage(bool last);
    void accumulate(ReportBand* band);
    void collectSums();
    bool atTop() const { return !m_bodyPrinted && m_y == m_bodyTop; }
    int imageIndex(const QImage& image);

    Report& m_report;
    RenderedReport& m_target;
    ReportRenderer& m_engine;
    QDateTime m_now;

    int m_left = 0, m_right = 0, m_top = 0, m_pageBottom = 0, m_paperHeight = 0;
    int m_pageNo = 0;
    bool m_pageOpen = false;
    RenderedPage m_page;
    int m_y = 0, m_bodyTop = 0, m_bottom = 0;
    bool m_bodyPrinted = false;
    QHash<const ReportText*, double> m_sums;
    QHash<ReportBand*, QList<const ReportText*>> m_sumsByBand;
    QHash<qint64, int> m_images;
    ReportSubDetail* m_continuing = nullptr;   // whose rows a new page continues
};

void LayoutRun::collectSums()
{
    auto collect = [this](ReportBand* band) {
        for (const auto& e : band->elements()) {
            if (e->kind() != ReportElement::Kind::Text)
                continue;
            auto* t = static_cast<const ReportText*>(e.get());
            if (t->source() == ReportText::Source::Sum && t->sumOver()) {
                m_sumsByBand[t->sumOver()] << t;
                m_sums.insert(t, 0.0);
            }
        }
    };
    for (ReportBand* top : {m_report.pageHeaderIfAny(), m_report.columnHeaderIfAny(), m_report.detailIfAny(),
                            m_report.summaryIfAny(), m_report.pageFooterIfAny()})
        visitBands(top, collect);
    for (const auto& sub : m_report.subDetails()) {
        visitBands(sub->headerIfAny(), collect);
        visitBands(sub->band(), collect);
        visitBands(sub->footerIfAny(), collect);
    }
}

void LayoutRun::accumulate(ReportBand* band)
{
    auto it = m_sumsByBand.constFind(band);
    if (it == m_sumsByBand.constEnd())
        return;
    ReportDataSource* source = band->dataSource();
    for (const ReportText* t : *it) {
        ReportDataSource* s = t->dataSource() ? t->dataSource() : source;
        if (s && !s->eof())
            m_sums[t] += s->value(t->fieldName()).toDouble();
    }
}

int LayoutRun::imageIndex(const QImage& image)
{
    auto it = m_images.constFind(image.cacheKey());
    if (it != m_images.constEnd())
        return *it;
    const int index = m_target.addImage(image);
    m_images.insert(image.cacheKey(), index);
    return index;
}

void LayoutRun::measureText(const ReportText& text, ReportBand* band, MeasuredBand& out, int& growth)
{
    TextPrint tp;
    tp.rect = text.rect();
    tp.font = text.font();
    tp.color = text.color();
    tp.background = text.background();
    tp.visible = text.isVisible();
    switch (text.source()) {
    case ReportText::Source::Label:
        tp.text = text.text();
        break;
    case ReportText::Source::Field: {
        ReportDataSource* s = text.dataSource() ? text.dataSource() : band->dataSource();
        if (s && !s->eof())
            tp.value = s->value(text.fieldName());
        tp.text = text.prefix() + text.formatValue(tp.value);
        break;
    }
    case ReportText::Source::System:
        switch (text.systemField()) {
        case SystemField::PrintDate:
            tp.value = m_now.date();
            tp.text = DisplayMask::format(tp.value, text.mask().isEmpty() ? QStringLiteral("dd.mm.yy") : text.mask());
            break;
        case SystemField::PrintDateTime:
            tp.value = m_now;
            tp.text = DisplayMask::format(tp.value,
                                          text.mask().isEmpty() ? QStringLiteral("dd.mm.yy hh:mm") : text.mask());
            break;
        case SystemField::PageNumber:
            tp.value = m_pageNo;
            tp.text = QString::number(m_pageNo);
            out.usesPageNumber = true;
            break;
        case SystemField::ReportTitle:
            tp.value = m_report.title();
            tp.text = m_report.title();
            break;
        }
        tp.text.prepend(text.prefix());
        break;
    case ReportText::Source::Sum:
        tp.value = m_sums.value(&text);
        tp.text = text.prefix() + text.formatValue(tp.value);
        break;
    case ReportText::Source::Computed:
        tp.text = text.prefix() + (text.computed() ? text.computed()() : QString());
        break;
    }
    if (text.beforePrint())
        text.beforePrint()(tp);
    if (!tp.visible)
        return;

    QRect r = fromMm(tp.rect).translated(m_left, 0);
    QStringList lines;
    double lineHeight = 0;
    if (text.wordWrap()) {
        lines = TextMeasure::wrap(tp.text, tp.font, r.width());
        lineHeight = TextMeasure::lineHeight(tp.font);
        const int needed = int(std::ceil(lines.size() * lineHeight));
        if (needed > r.height()) {
            growth = qMax(growth, needed - r.height());
            r.setHeight(needed);
        }
    }
    if (tp.background.isValid() && tp.background.alpha() > 0)
        out.items << fillItem(r, tp.background);

    ReportItem item;
    item.type = ReportItem::Type::Text;
    item.fontFamily = tp.font.family();
    item.pointSize = tp.font.pointSizeF() > 0 ? tp.font.pointSizeF() : 10;
    item.style = quint8((tp.font.bold() ? ReportItem::Bold : 0) | (tp.font.italic() ? ReportItem::Italic : 0)
                        | (tp.font.underline() ? ReportItem::Underline : 0));
    item.color = tp.color;
    if (text.wordWrap()) {
        item.alignment = int((text.alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignTop);
        for (int i = 0; i < lines.size(); ++i) {
            if (lines[i].isEmpty())
                continue;
            item.text = lines[i];
            const int top = r.y() + int(std::lround(i * lineHeight));
            const int bottom = r.y() + int(std::lround((i + 1) * lineHeight));
            item.rect = QRect(r.x(), top, r.width(), bottom - top);
            out.items << item;
        }
    } else if (!tp.text.isEmpty()) {
        item.text = tp.text;
        if (text.fit() == ReportText::Fit::Shrink) {
            QFont f = tp.font;
            double size = item.pointSize;
            while (size > ReportText::minFitPointSize && TextMeasure::width(item.text, f) > r.width()) {
                size = qMax(ReportText::minFitPointSize, size - 0.5);
                f.setPointSizeF(size);
            }
            item.pointSize = size;
            item.text = TextMeasure::elided(item.text, f, r.width());
        } else if (text.fit() == ReportText::Fit::Elide) {
            item.text = TextMeasure::elided(item.text, tp.font, r.width());
        }
        item.alignment = int(text.alignment());
        item.rect = r;
        out.items << item;
    }
    addFrame(out.items, r, text.frame());
}

MeasuredBand LayoutRun::measure(ReportBand* band)
{
    MeasuredBand out;
    out.band = band;
    out.measuredOnPage = m_pageNo;
    if (!band->isEnabled())
        return out;
    bool print = true;
    if (band->beforePrint())
        band->beforePrint()(*band, print);
    if (!print || !band->isEnabled())
        return out;
    out.print = true;

    const int designHeight = fromMm(band->heightMm());
    int growth = 0;
    QList<int> stretched;
    for (const auto& e : band->elements()) {
        if (!e->isVisible())
            continue;
        switch (e->kind()) {
        case ReportElement::Kind::Text:
            measureText(static_cast<const ReportText&>(*e), band, out, growth);
            break;
        case ReportElement::Kind::Shape: {
            const auto& s = static_cast<const ReportShape&>(*e);
            if (s.stretchWithBand())
                stretched << int(out.items.size());
            if (s.shape() == ReportShape::Shape::Line) {
                const QLineF l = s.line();
                out.items << lineItem(m_left + fromMm(l.x1()), fromMm(l.y1()), m_left + fromMm(l.x2()),
                                      fromMm(l.y2()), s.pen(), penUnits(s.penWidthMm()));
            } else {
                ReportItem item;
                item.type = ReportItem::Type::Rect;
                item.rect = fromMm(s.rect()).translated(m_left, 0);
                item.color = s.pen();
                item.penWidth = s.pen().isValid() ? penUnits(s.penWidthMm()) : 0;
                item.brush = s.brush();
                out.items << item;
            }
            break;
        }
        case ReportElement::Kind::Image: {
            const auto& img = static_cast<const ReportImage&>(*e);
            if (img.image().isNull())
                break;
            ReportItem item;
            item.type = ReportItem::Type::Image;
            item.rect = fromMm(img.rect()).translated(m_left, 0);
            item.imageIndex = imageIndex(img.image());
            out.items << item;
            break;
        }
        }
    }
    for (int i : stretched)
        out.items[i].rect.setHeight(out.items[i].rect.height() + growth);
    out.height = designHeight + growth;

    const QRect bandRect(m_left, 0, m_right - m_left, out.height);
    if (band->background().isValid() && band->background().alpha() > 0)
        out.items.prepend(fillItem(bandRect, band->background()));
    addFrame(out.items, bandRect, band->frame());
    return out;
}

void LayoutRun::placeAt(const MeasuredBand& m, int y)
{
    for (ReportItem item : m.items) {
        item.rect.translate(0, y);
        m_page.items << item;
    }
}

void LayoutRun::place(MeasuredBand m)
{
    if (!m.print)
        return;
    if (m.band->alignToBottom()) {
        if (m.height > m_bottom - m_y && !atTop())
            newPage();
    } else if (m_y + m.height > m_bottom && !atTop()) {
        newPage();
    }
    if (m.usesPageNumber && m.measuredOnPage != m_pageNo)
        m = measure(m.band);
    if (m.height > m_bottom - m_y) {
        placeSplit(m);
    } else if (m.band->alignToBottom()) {
        placeAt(m, qMax(m_y, m_bottom - m.height));
        m_y = qMax(m_bottom, m_y + m.height);
    } else {
        placeAt(m, m_y);
        m_y += m.height;
    }
    m_bodyPrinted = true;
    accumulate(m.band);
}

// A band taller than the room left on an empty page: continued on the next pages, cut between
// text lines; a text or image taller than a whole page is shrunk to it and marked.
void LayoutRun::placeSplit(const MeasuredBand& m)
{
    QList<ReportItem> rest = m.items;
    int offset = 0;   // band-relative y shown at the top of the current page
    for (;;) {
        const int room = m_bottom - m_y;
        if (m.height - offset <= room) {
            for (ReportItem item : rest) {
                item.rect.translate(0, m_y - offset);
                m_page.items << item;
            }
            m_y += m.height - offset;
            return;
        }
        if (room <= 0) {   // header and footer leave no body at all
            m_page.items << clippedMark(m_right, m_bottom);
            return;
        }
        int cut = offset + room;
        for (bool moved = true; moved;) {
            moved = false;
            for (const ReportItem& item : rest) {
                if (!breakable(item) && itemTop(item) > offset && itemTop(item) < cut && itemBottom(item) > cut) {
                    cut = itemTop(item);
                    moved = true;
                }
            }
        }
        QList<ReportItem> next;
        bool clipped = false;
        const int shift = m_y - offset;
        for (const ReportItem& item : rest) {
            if (itemTop(item) >= cut) {
                next << item;
                continue;
            }
            ReportItem here = item;
            if (itemBottom(item) > cut) {
                if (breakable(item)) {
                    auto [upper, lower] = cutAt(item, cut);
                    here = upper;
                    next << lower;
                } else {
                    here = shrunkTo(item, cut);
                    clipped = true;
                }
            }
            here.rect.translate(0, shift);
            m_page.items << here;
        }
        if (clipped)
            m_page.items << clippedMark(m_right, m_bottom);
        m_y = m_bottom;
        newPage();
        offset = cut;
        rest = std::move(next);
    }
}

// Height of a chain as it would print now (bands switched off or refused count nothing).
int LayoutRun::chainHeight(ReportBand* first)
{
    int total = 0;
    for (ReportBand* b = first; b; b = b->child()) {
        const MeasuredBand m = measure(b);
        total += m.print ? m.height : 0;
    }
    return total;
}

// What a sub-detail prints before its rows can be said to have begun: its header and first row.
int LayoutRun::leadHeight(ReportSubDetail& sub)
{
    ReportDataSource* source = sub.dataSource();
    if (!sub.isEnabled() || !source)
        return 0;
    source->first();
    if (source->eof() && !sub.printIfEmpty())
        return 0;
    int height = chainHeight(sub.headerIfAny());
    if (!source->eof())
        height += chainHeight(sub.band());
    return height;
}

// The room a band kept with the next needs below it.
int LayoutRun::followingHeight(ReportBand* band)
{
    const auto inChain = [band](ReportBand* first) {
        for (ReportBand* b = first; b; b = b->child())
            if (b == band)
                return true;
        return false;
    };
    if (inChain(m_report.detailIfAny())) {
        for (const auto& sub : m_report.subDetails())
            if (const int h = leadHeight(*sub); h > 0)
                return h;
        return 0;
    }
    for (const auto& sub : m_report.subDetails()) {
        if (inChain(sub->headerIfAny())) {
            ReportDataSource* source = sub->dataSource();
            return source && !source->eof() ? chainHeight(sub->band()) : 0;
        }
    }
    return 0;
}

void LayoutRun::printChain(ReportBand* first)
{
    for (ReportBand* band = first; band; band = band->child()) {
        if ((band->keepTogether() || band->keepWithNext()) && band->isEnabled()) {
            const int after = band->keepWithNext() ? followingHeight(band) : 0;
            QList<MeasuredBand> group;
            int total = 0;
            for (ReportBand* b = band; b; b = b->child()) {
                group << measure(b);
                total += group.last().print ? group.last().height : 0;
            }
            // What follows is only worth the move when the whole lot fits on an empty page.
            const int need = total + after <= m_bottom - m_bodyTop ? total + after : total;
            if (m_y + need > m_bottom && !atTop())
                newPage();
            for (MeasuredBand& m : group)
                place(std::move(m));
            return;
        }
        place(measure(band));
    }
}

void LayoutRun::printSubDetail(ReportSubDetail& sub)
{
    ReportDataSource* source = sub.dataSource();
    if (!sub.isEnabled() || !source)
        return;
    source->first();
    if (source->eof() && !sub.printIfEmpty())
        return;
    printChain(sub.headerIfAny());
    // A page broken within the rows, or before the footer, begins by naming whose rows go on.
    m_continuing = &sub;
    for (; !source->eof(); source->next())
        printChain(sub.band());
    printChain(sub.footerIfAny());
    m_continuing = nullptr;
}

// The top of a page on which a sub-detail's rows go on: its continuation band and the header
// bands that repeat, placed like page furniture (never broken).
void LayoutRun::placeContinuation(ReportSubDetail& sub)
{
    placeFurniture(sub.continuationIfAny());
    for (ReportBand* band = sub.headerIfAny(); band; band = band->child()) {
        if (!band->repeatOnContinuation())
            continue;
        MeasuredBand m = measure(band);
        if (!m.print)
            continue;
        placeAt(m, m_y);
        m_y += m.height;
    }
}

// Page header and column header: printed at the top of every page, never broken.
void LayoutRun::placeFurniture(ReportBand* first)
{
    for (ReportBand* band = first; band; band = band->child()) {
        MeasuredBand m = measure(band);
        if (!m.print)
            continue;
        placeAt(m, m_y);
        m_y += m.height;
    }
}

void LayoutRun::newPage()
{
    if (m_pageOpen)
        finishPage(false);
    ++m_pageNo;
    m_pageOpen = true;
    m_page = RenderedPage();
    m_y = m_top;
    m_bottom = m_pageBottom - footerHeight();
    placeFurniture(m_report.pageHeaderIfAny());
    placeFurniture(m_report.columnHeaderIfAny());
    if (m_continuing)
        placeContinuation(*m_continuing);
    m_bodyTop = m_y;
    m_bodyPrinted = false;
}

// Room kept free for the page footer and every band of its chain.
int LayoutRun::footerHeight() const
{
    int height = 0;
    for (ReportBand* band = m_report.pageFooterIfAny(); band; band = band->child())
        if (band->isEnabled())
            height += fromMm(band->heightMm());
    return height;
}

// Last guard: whatever would reach past the paper's edge (a page header or footer larger than
// the page) is cut at the edge and marked.
void LayoutRun::keepOnPaper()
{
    bool clipped = false;
    QList<ReportItem> kept;
    for (const ReportItem& item : std::as_const(m_page.items)) {
        if (itemBottom(item) <= m_paperHeight && itemTop(item) >= 0) {
            kept << item;
            continue;
        }
        clipped = true;
        if (itemTop(item) >= m_paperHeight || itemBottom(item) <= 0)
            continue;
        ReportItem here = item;
        if (itemTop(here) < 0)
            here = breakable(here) ? cutAt(here, 0).second : here;
        if (itemTop(here) < 0)
            continue;
        if (itemBottom(here) > m_paperHeight)
            here = breakable(here) ? cutAt(here, m_paperHeight).first : shrunkTo(here, m_paperHeight);
        kept << here;
    }
    if (clipped)
        kept << clippedMark(m_right, m_paperHeight);
    m_page.items = std::move(kept);
}

void LayoutRun::finishPage(bool last)
{
    if (ReportBand* footer = m_report.pageFooterIfAny()) {
        QList<MeasuredBand> bands;
        int height = 0;
        for (ReportBand* band = footer; band; band = band->child()) {
            bands << measure(band);
            height += bands.last().print ? bands.last().height : 0;
        }
        int y = qMax(m_pageBottom - height, m_y);
        for (const MeasuredBand& m : bands) {
            if (!m.print)
                continue;
            placeAt(m, y);
            y += m.height;
        }
    }
    keepOnPaper();
    m_target.appendPage(std::move(m_page));
    m_page = RenderedPage();
    m_pageOpen = false;
    if (last)
        m_target.setComplete(true);
    emit m_engine.pageAvailable(m_pageNo);
}

void LayoutRun::run()
{
    m_target.setTitle(m_report.title());
    m_target.setPage(m_report.pageSize(), m_report.orientation());
    m_target.setComplete(false);
    const QSize page = m_target.pageSizeUnits();
    const QMarginsF margins = m_report.marginsMm();
    m_left = fromMm(margins.left());
    m_right = page.width() - fromMm(margins.right());
    m_top = fromMm(margins.top());
    m_pageBottom = page.height() - fromMm(margins.bottom());
    m_paperHeight = page.height();

    if (m_report.beforePrint())
        m_report.beforePrint()();
    emit m_engine.progress(0);
    collectSums();
    newPage();

    ReportDataSource* source = m_report.dataSource();
    ReportBand* detail = m_report.detailIfAny();
    if (source && detail) {
        source->first();
        const int total = source->recordCount();
        int done = 0, lastPercent = 0;
        while (!source->eof()) {
            if (detail->forceNewPage() && !atTop())
                newPage();
            printChain(detail);
            for (const auto& sub : m_report.subDetails())
                printSubDetail(*sub);
            source->next();
            ++done;
            if (total > 0) {
                const int percent = qMin(99, int(qint64(done) * 100 / total));
                if (percent != lastPercent) {
                    lastPercent = percent;
                    emit m_engine.progress(percent);
                }
            }
        }
    }
    printChain(m_report.summaryIfAny());
    if (m_report.afterPrint())
        m_report.afterPrint()();
    finishPage(true);
    emit m_engine.progress(100);
}

} // namespace

ReportRenderer::ReportRenderer(QObject* parent) : QObject(parent) {}

std::shared_ptr<RenderedReport> ReportRenderer::render(Report& report)
{
    auto target = std::make_shared<RenderedReport>();
    render(report, *target);
    return target;
}

void ReportRenderer::render(Report& report, RenderedReport& target)
{
    const QDateTime now = m_printDateTime.isValid() ? m_printDateTime : QDateTime::currentDateTime();
    LayoutRun run(report, target, *this, now);
    run.run();
}
