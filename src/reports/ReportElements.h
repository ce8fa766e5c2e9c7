#pragma once
#include <QColor>
#include <QFont>
#include <QImage>
#include <QLineF>
#include <QRectF>
#include <QString>
#include <QVariant>
#include <functional>

class ReportBand;
class ReportDataSource;

// Lines drawn on some sides of a text or band.
struct ReportFrame {
    bool top = false, bottom = false, left = false, right = false;
    double widthMm = 0.25;
    QColor color = Qt::black;
    bool any() const { return top || bottom || left || right; }
    static ReportFrame all(double widthMm = 0.25);
    static ReportFrame sides(bool top, bool bottom, bool left = false, bool right = false, double widthMm = 0.25);
};

class ReportElement {
public:
    enum class Kind { Text, Shape, Image };
    virtual ~ReportElement() = default;
    virtual Kind kind() const = 0;
    QRectF rect() const { return m_rect; }
    void setRect(const QRectF& mm) { m_rect = mm; }
    bool isVisible() const { return m_visible; }
    void setVisible(bool on) { m_visible = on; }
protected:
    QRectF m_rect;   // millimetres, relative to the band's top left corner
    bool m_visible = true;
};

enum class SystemField { PrintDate, PrintDateTime, PageNumber, ReportTitle };

// What a text's before-print handler receives for one print; changes apply to this print only.
struct TextPrint {
    QString text;
    QRectF rect;        // millimetres within the band
    QFont font;
    QColor color;
    QColor background;  // invalid: transparent
    bool visible = true;
    QVariant value;     // the bound value, or the sum; invalid for labels
};

class ReportText : public ReportElement {
public:
    enum class Source { Label, Field, System, Sum, Computed };
    using BeforePrint = std::function<void(TextPrint&)>;
    using Formatter = std::function<QString(const QVariant&)>;

    Kind kind() const override { return Kind::Text; }

    ReportText& setText(const QString& text) { m_text = text; return *this; }
    ReportText& setFont(const QFont& font) { m_font = font; return *this; }
    ReportText& setFontSize(double pt) { m_font.setPointSizeF(pt); return *this; }
    ReportText& setBold(bool on = true) { m_font.setBold(on); return *this; }
    ReportText& setItalic(bool on = true) { m_font.setItalic(on); return *this; }
    ReportText& setUnderline(bool on = true) { m_font.setUnderline(on); return *this; }
    ReportText& setColor(const QColor& c) { m_color = c; return *this; }
    ReportText& setBackground(const QColor& c) { m_background = c; return *this; }
    ReportText& setAlignment(Qt::Alignment a) { m_alignment = a; return *this; }
    ReportText& setFrame(const ReportFrame& f) { m_frame = f; return *this; }
    // Wrapped text grows downwards and makes its band taller.
    ReportText& setWordWrap(bool on = true) { m_wordWrap = on; return *this; }
    // A one-line text wider than its box: a smaller font (Shrink, down to minFitPointSize and
    // then shortened) or shortened with "…" (Elide), so that nothing is drawn beyond the box.
    enum class Fit : quint8 { None, Shrink, Elide };
    static constexpr double minFitPointSize = 6;
    ReportText& setFit(Fit fit) { m_fit = fit; return *this; }
    ReportText& setMask(const QString& mask) { m_mask = mask; return *this; }
    // Text before a system field or value ("Seite : " 12).
    ReportText& setPrefix(const QString& prefix) { m_prefix = prefix; return *this; }
    // Replaces the mask, for displays like "JA" / nothing.
    ReportText& setFormatter(Formatter f) { m_formatter = std::move(f); return *this; }
    ReportText& setBeforePrint(BeforePrint handler) { m_beforePrint = std::move(handler); return *this; }

    Source source() const { return m_source; }
    const QString& text() const { return m_text; }
    const QString& fieldName() const { return m_field; }
    ReportDataSource* dataSource() const { return m_dataSource; }
    SystemField systemField() const { return m_system; }
    ReportBand* sumOver() const { return m_sumOver; }
    const std::function<QString()>& computed() const { return m_computed; }
    const QFont& font() const { return m_font; }
    const QColor& color() const { return m_color; }
    const QColor& background() const { return m_background; }
    Qt::Alignment alignment() const { return m_alignment; }
    const ReportFrame& frame() const { return m_frame; }
    bool wordWrap() const { return m_wordWrap; }
    Fit fit() const { return m_fit; }
    const QString& mask() const { return m_mask; }
    const QString& prefix() const { return m_prefix; }
    const Formatter& formatter() const { return m_formatter; }
    const BeforePrint& beforePrint() const { return m_beforePrint; }

    QString formatValue(const QVariant& value) const;

private:
    friend class ReportBand;
    Source m_source = Source::Label;
    QString m_text;
    QString m_field;
    ReportDataSource* m_dataSource = nullptr;
    SystemField m_system = SystemField::PrintDate;
    ReportBand* m_sumOver = nullptr;
    std::function<QString()> m_computed;
    QFont m_font;
    QColor m_color = Qt::black;
    QColor m_background;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignTop;
    ReportFrame m_frame;
    bool m_wordWrap = false;
    Fit m_fit = Fit::None;
    QString m_mask;
    QString m_prefix;
    Formatter m_formatter;
    BeforePrint m_beforePrint;
};

// Line or rectangle. A vertical line or rectangle may stretch with a band that grows.
class ReportShape : public ReportElement {
public:
    enum class Shape { Line, Rectangle };
    Kind kind() const override { return Kind::Shape; }

    ReportShape& setPen(const QColor& color, double widthMm) { m_pen = color; m_penWidthMm = widthMm; return *this; }
    ReportShape& setBrush(const QColor& color) { m_brush = color; return *this; }
    ReportShape& setStretchWithBand(bool on = true) { m_stretch = on; return *this; }

    Shape shape() const { return m_shape; }
    QLineF line() const { return m_line; }
    const QColor& pen() const { return m_pen; }
    double penWidthMm() const { return m_penWidthMm; }
    const QColor& brush() const { return m_brush; }
    bool stretchWithBand() const { return m_stretch; }

private:
    friend class ReportBand;
    Shape m_shape = Shape::Line;
    QLineF m_line;
    QColor m_pen = Qt::black;
    double m_penWidthMm = 0.25;
    QColor m_brush;   // invalid: not filled
    bool m_stretch = false;
};

class ReportImage : public ReportElement {
public:
    Kind kind() const override { return Kind::Image; }
    const QImage& image() const { return m_image; }
    void setImage(const QImage& image) { m_image = image; }
private:
    QImage m_image;
};
