#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>

#include "config/dialog/colour.h"
#include "config/dialog/form2.h"
#include "config/dialog/text_bytes.h"
#include "display/bar_geometry.h"
#include "display/display.h"

namespace kestrin {
namespace {

void SetFieldText(QLineEdit* field, const std::string& text) {
    const QString shown = FromBytes(text);
    if (field->text() != shown) {
        field->setText(shown);
    }
}

}  // namespace

void TForm1::paintEvent(QPaintEvent* event) {
    // A control redrawn on its own (the over indicator changing colour, a button under the
    // mouse) has the window paint what lies beneath it: that is no paint of the window. Nor is
    // our own flush of what a buffer drew. Anything else (a paint from the window system, or an
    // update() that Qt merged into our repaint) starts over as a fresh window would: erased in
    // the window's colour, then the scale.
    const QRegion ownFlush = m_flushing ? m_flushRegion : QRegion();
    const bool ours = (m_flushing && (event->region() - ownFlush).isEmpty()) ||
                      (event->region() - ownFlush - ControlsRegion()).isEmpty();
    if (!ours) {
        m_surface.fill(ToQColor(m_windowColour));
        FormPaint();
    }
    QPainter screen(this);
    for (const QRect& rect : event->region()) {
        screen.drawImage(rect.topLeft(), m_surface, rect);
    }
}

QRegion TForm1::ControlsRegion() const {
    QRegion controls;
    for (QObject* child : children()) {
        const auto* control = qobject_cast<QWidget*>(child);
        if (control && !control->isWindow() && control->isVisible()) {
            controls += control->geometry();
        }
    }
    return controls;
}

void TForm1::FormPaint() {
    ApplyAlwaysOnTop(MeterSettings.ShortName, MeterSettings.OnTop);
    SetFieldText(Form2->Edit1, MeterSettings.cal);
    SetFieldText(Form2->Edit2, MeterSettings.decay);
    Baseline = BaselineFor(height());
    ClearHeldPeaks(Bars);

    QPainter canvas(&m_surface);
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setPen(ToQColor(kTickColour));
    canvas.setBrush(ToQColor(kPanelColour));
    canvas.fillRect(PanelRect(Baseline), canvas.brush());
    for (const int x : kTickColumnX) {
        DrawTicks(canvas, x, Baseline);
    }
    canvas.end();
    // The panel has wiped the bar columns: the next buffer repaints them whole.
    m_columns.fill(ColumnPicture{});

    SetScaleLabels();
    BuildLevelTable(LevelTable);
}

void TForm1::DrawTicks(QPainter& canvas, int x, int baseline) {
    for (const QLine& line : TickLines(x, baseline)) {
        canvas.drawLine(line);
    }
}

void TForm1::DrawBar(QPainter& canvas, int32_t level, int x, int32_t colour, int32_t dimColour) {
    const BarFills bar = BarRectangles(level, x, BaselineFor(height()),
                                       AmberThreshold(MeterSettings.amber), colour, dimColour);
    for (int i = 0; i < bar.count; ++i) {
        const BarFill& fill = bar.fills[static_cast<size_t>(i)];
        canvas.fillRect(fill.rect, ToQColor(fill.colour));
    }
}

void TForm1::PaintBuffer() {
    struct Column {
        BarId id;
        int x;
        int32_t colour;
    };
    const TMeterSettings& s = MeterSettings;
    const Column columns[4] = {
        {A, kBarAX, s.Acolor}, {B, kBarBX, s.Bcolor}, {M, kBarMX, s.Mcolor}, {S, kBarSX, s.Scolor}};
    const int barBaseline = BaselineFor(height());
    const int amberThreshold = AmberThreshold(s.amber);

    QPainter canvas(&m_surface);
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setPen(Qt::SolidLine);
    std::array<ColumnPicture, 4> after = m_columns;
    std::array<bool, 4> barDrawn = {};
    for (const Column& column : columns) {
        if ((column.id == M || column.id == S) && !s.showMS) {
            continue;
        }
        const int32_t dim = column.colour & kDimMask;
        DrawBar(canvas, Bars[column.id].Level, column.x, column.colour, dim);
        after[column.id] = {true, Bars[column.id].Level, amberThreshold, column.colour, dim, {}};
        barDrawn[column.id] = true;
    }

    // Held-peak lines on top of the bars, for every bar whether shown or not.
    canvas.setPen(ToQColor(kHeldPeakColour));
    for (const BarId id : {A, B, S, M}) {
        const std::optional<int32_t> held = UpdatePeakHold(Bars[id], id == S, s.PeakHold);
        if (!held) {
            continue;
        }
        const QLine line = HeldPeakLine(columns[id].x, Baseline, *held);
        canvas.drawLine(line);
        if (!barDrawn[id]) {
            // Lines pile up in a column whose bar is not drawn.
            after[id].known = false;
        }
        after[id].lineRow = line.y1();
    }
    canvas.end();

    QRegion changed;
    for (const Column& column : columns) {
        RowSpan rows;
        const ColumnPicture& before = m_columns[column.id];
        if (barDrawn[column.id]) {
            rows = ChangedBarRows(before, after[column.id], barBaseline);
        } else if (after[column.id].lineRow != before.lineRow) {
            rows = RowSpan{}.united(*after[column.id].lineRow);
        }
        if (!rows.empty()) {
            changed += QRect(column.x, rows.first, kBarWidth, rows.last - rows.first + 1) & rect();
        }
    }
    m_columns = after;
    Flush(changed);
}

// Shows the changed rows at once, without waiting for a paint cycle: a synchronous repaint of
// just that part, which paintEvent knows for ours by the flag.
void TForm1::Flush(const QRegion& region) {
    m_lastFlush = region;
    if (region.isEmpty()) {
        return;
    }
    m_flushRegion = region;
    m_flushing = true;
    repaint(region);
    m_flushing = false;
}

}  // namespace kestrin
